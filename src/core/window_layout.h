#pragma once

#include <cstdint>

// The look of the main window and of the details dialog, for every
// front-end: places and sizes in pixels at 96 dots per inch (a front-end on
// a denser screen scales them by dpi / 96), colours and fonts. The texts are
// in core/fixed_texts.h, the list's columns in core/columns.h.
namespace quorvex::layout {

struct Rgb {
    uint8_t R, G, B;
};

// The main window's client area at start, and the least it can be resized to.
inline constexpr int ClientWidth = 746;
inline constexpr int ClientHeight = 433;
inline constexpr int MinClientWidth = 672;
inline constexpr int MinClientHeight = 200;

// The two bars; the list fills the space between them.
inline constexpr int TopBarHeight = 34;
inline constexpr int BottomBarHeight = 28;
inline constexpr Rgb BarColour{236, 245, 248};

// The font of the window, its labels, boxes and list rows: Arial 8 pt, a
// character height of 11 pixels.
inline constexpr const char *FontFace = "Arial";
inline constexpr int FontHeight = 11;

// The counters of the top bar, bold.
inline constexpr Rgb AppCountColour{255, 0, 0};
inline constexpr Rgb NetCountColour{0, 0, 255};

// The hot-tracking buttons of both bars.
inline constexpr Rgb ButtonFace{244, 244, 240};
inline constexpr Rgb ButtonHighlight{106, 141, 244};
inline constexpr Rgb ButtonHotTrack{255, 199, 60};

// The author's mail link in the bottom bar: underlined, in this font, its
// colour changing once the desktop took the link.
inline constexpr const char *MailLinkFontFace = "Verdana";
inline constexpr Rgb MailLinkColour{60, 60, 120};
inline constexpr Rgb MailLinkVisitedColour{130, 95, 70};

// The list.
inline constexpr int RowHeight = 22;
inline constexpr int HeaderHeight = 20;
inline constexpr const char *HeaderFontFace = "MS Sans Serif";
inline constexpr int HeaderFontHeight = 13;
inline constexpr Rgb SelectedRowColour{0, 128, 64};
inline constexpr Rgb HotCaptionColour{0, 0, 255};
// The manage icon: its place in a cell of the manage column and its own size.
inline constexpr int ManageIconLeft = 12;
inline constexpr int ManageIconTop = 3;
inline constexpr int ManageIconWidth = 19;
inline constexpr int ManageIconHeight = 18;

enum class Bar { Top, Bottom };

/// The controls of the two bars that have places of their own (the counters
/// line of the top bar runs from the left edge, each label as wide as its
/// text and centred in the bar).
enum class BarControl {
    BTNOptions,
    BTNHelp,
    BTNUpdate,
    BTNHomePage,
    CBShowLocal,
    CBAutoRefresh,
    CBAlwaysTop,
    BTNRefresh,
    BTNEndPro,
    CBShowInfo,
    Label6,
    RzURLLabel1,
};

struct ControlPlace {
    BarControl Id;
    const char *Name;  // the component's name, for tests and accessibility tools
    Bar InBar;
    /// Left counts from the bar's right edge: the control keeps its distance
    /// to that edge when the window is resized (else to the left edge).
    bool FromRight;
    int Left, Top;
    int Width, Height;  // 0: as the text needs
};

inline constexpr ControlPlace BarControls[] = {
    // The view options' menu button, in the top bar's free room just left
    // of the help button.
    {BarControl::BTNOptions, "BTNOptions", Bar::Top, true, 310, 1, 60, 32},
    {BarControl::BTNHelp, "BTNHelp", Bar::Top, true, 246, 1, 74, 32},
    {BarControl::BTNUpdate, "BTNUpdate", Bar::Top, true, 172, 1, 86, 32},
    {BarControl::BTNHomePage, "BTNHomePage", Bar::Top, true, 86, 1, 86, 32},
    {BarControl::CBShowLocal, "CBShowLocal", Bar::Bottom, false, 8, 6, 145, 17},
    {BarControl::CBAutoRefresh, "CBAutoRefresh", Bar::Bottom, false, 157, 6, 124, 17},
    {BarControl::CBAlwaysTop, "CBAlwaysTop", Bar::Bottom, false, 282, 6, 182, 17},
    {BarControl::BTNRefresh, "BTNRefresh", Bar::Bottom, false, 553, 1, 80, 26},
    {BarControl::BTNEndPro, "BTNEndPro", Bar::Bottom, false, 633, 1, 110, 26},
    {BarControl::CBShowInfo, "CBShowInfo", Bar::Bottom, false, 755, 6, 166, 17},
    // Right-aligned, ending where 27 pixels from 950 end. Arial's "Email:"
    // needs more than 27, so the label takes the free room back to the end
    // of the show-info box (921) instead of clipping its text.
    {BarControl::Label6, "Label6", Bar::Bottom, false, 921, 0, 56, 28},
    // As wide and high as its text, centred in the bar.
    {BarControl::RzURLLabel1, "RzURLLabel1", Bar::Bottom, false, 984, 0, 0, 0},
};

// The filter field (Ctrl+F), hidden until asked for: in the top bar's free
// room, ending FilterFieldGapRight before the options button and starting
// no nearer than FilterFieldGapLeft to the end of the counters' sentence;
// as wide as that room up to its widest, never narrower than its narrowest.
// Its count ("12 / 340") sits inside it at its right end, in grey.
inline constexpr int FilterFieldHeight = 22;
inline constexpr int FilterFieldMinWidth = 60;
inline constexpr int FilterFieldMaxWidth = 220;
inline constexpr int FilterFieldGapLeft = 6;
inline constexpr int FilterFieldGapRight = 4;
inline constexpr Rgb FilterCountColour{110, 110, 110};

struct Span {
    int Left, Width;
};
/// The filter field's left edge and width in a top bar `barWidth` wide
/// whose counters' sentence ends at `sentenceRight`, all in pixels on a
/// screen of `dpi` dots per inch.
Span FilterFieldSpan(int barWidth, int sentenceRight, int dpi);

// The process details dialog: client area, colours, and its controls' places.
inline constexpr int ProcInfoWidth = 425;
inline constexpr int ProcInfoHeight = 237;
inline constexpr int ProcInfoIconSize = 32;
// The icon is drawn at (1, 1) in its 32 x 32 picture, so its last column and
// row fall outside.
inline constexpr int ProcInfoIconOffset = 1;
inline constexpr Rgb ProcInfoLineColour{196, 211, 219};
inline constexpr Rgb ProcInfoPathBackground{235, 235, 235};
inline constexpr Rgb ProcInfoLinkColour{0, 0, 255};
inline constexpr Rgb ProcInfoOkFace{209, 218, 238};

enum class InfoControl { Image1, LabExe, LabExeDes, LabPID, Labcomp, Shape1, Label5, EPath, LabLocate, Shape2, BTNOK };

struct InfoPlace {
    InfoControl Id;
    const char *Name;
    int Left, Top;
    int Width, Height;  // 0: as the text needs
};

inline constexpr InfoPlace ProcInfoControls[] = {
    {InfoControl::Image1, "Image1", 16, 16, 32, 32},
    {InfoControl::LabExe, "LabExe", 80, 16, 0, 0},
    {InfoControl::LabExeDes, "LabExeDes", 80, 45, 0, 0},
    {InfoControl::LabPID, "LabPID", 80, 69, 0, 0},
    {InfoControl::Labcomp, "Labcomp", 80, 91, 0, 0},
    {InfoControl::Shape1, "Shape1", 8, 114, 409, 1},
    {InfoControl::Label5, "Label5", 10, 121, 0, 0},
    {InfoControl::EPath, "EPath", 8, 140, 409, 20},
    {InfoControl::LabLocate, "LabLocate", 12, 179, 0, 0},
    {InfoControl::Shape2, "Shape2", 8, 198, 409, 1},
    {InfoControl::BTNOK, "BTNOK", 321, 202, 97, 26},
};

/// The place of a control of the bars, or of the dialog.
const ControlPlace &PlaceOf(BarControl id);
const InfoPlace &PlaceOf(InfoControl id);

/// A length at 96 dpi on a screen of `dpi` dots per inch, rounded to the
/// nearest pixel.
int Scale(int length, int dpi);

}  // namespace quorvex::layout
