#include "core/endpoint_text.h"

#include <cstdint>

#include "core/text_forms.h"

namespace quorvex {

namespace {

const char kHex[] = "0123456789ABCDEF";
const char kLowerHex[] = "0123456789abcdef";

void AppendByteEscape(std::string &out, uint8_t byte)
{
    out += "\\u00";
    out += kHex[byte >> 4];
    out += kHex[byte & 0xf];
}

// Length of the well-formed UTF-8 sequence at the start of `text` (RFC 3629:
// no overlong forms, no surrogates, nothing above U+10FFFF); 0 if there is none.
size_t Utf8SequenceLength(std::string_view text)
{
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byte(0);
    size_t length;
    uint8_t low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    }
    return length;
}

void AppendLineField(std::string &out, std::string_view text)
{
    for (char c : text) {
        const auto byte = static_cast<uint8_t>(c);
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default:
            if (byte < 0x20 || byte == 0x7f) {
                out += "\\x";
                out += kLowerHex[byte >> 4];
                out += kLowerHex[byte & 0xf];
            } else {
                out += c;
            }
        }
    }
}

// A decimal text as a JSON number; null for an empty text or anything else
// that is not one.
void AppendJsonNumber(std::string &out, std::string_view text)
{
    const bool digits = !text.empty() && text.size() <= 20
                        && text.find_first_not_of("0123456789") == std::string_view::npos
                        && (text.size() == 1 || text[0] != '0');
    out += digits ? text : std::string_view("null");
}

// The names of the MIB_TCP_STATE numbers, for readers of the JSON form; the
// window shows its own texts for them.
const char *JsonStateName(int32_t state)
{
    static const char *const names[] = {
        "CLOSED",      "LISTEN",     "SYN_SENT",   "SYN_RECEIVED", "ESTABLISHED", "FIN_WAIT_1",
        "FIN_WAIT_2",  "CLOSE_WAIT", "CLOSING",    "LAST_ACK",     "TIME_WAIT",   "DELETE_TCB",
    };
    return state >= 1 && state <= 12 ? names[state - 1] : nullptr;
}

}  // namespace

bool AppendJsonString(std::string &out, std::string_view text)
{
    bool exact = true;
    out += '"';
    size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<uint8_t>(text[i]);
        if (c < 0x80) {
            switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7f)
                    AppendByteEscape(out, c);
                else
                    out += static_cast<char>(c);
            }
            ++i;
            continue;
        }
        const size_t length = Utf8SequenceLength(text.substr(i));
        if (length == 0) {
            out += "\xEF\xBF\xBD";  // U+FFFD
            exact = false;
            ++i;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    out += '"';
    return exact;
}

void AppendEndpointHeader(std::string &out)
{
    out += "protocol\tstate\tlocalIp\tlocalPort\tremoteIp\tremotePort\tpid\tprocessName\tprocessPath\t"
           "description\tcompany\n";
}

void AppendEndpointLine(std::string &out, std::string_view protocol, const File_Rec &rec)
{
    AppendLineField(out, protocol);
    out += '\t';
    out += std::to_string(rec.State);
    for (const std::string *field : {&rec.LocalIp, &rec.LocalPort, &rec.RemoteIp, &rec.RemotePort, &rec.Pid,
                                     &rec.ProcessName, &rec.ProcessPath, &rec.FileDescription, &rec.CompanyName}) {
        out += '\t';
        AppendLineField(out, *field);
    }
    out += '\n';
}

void AppendEndpointJson(std::string &out, std::string_view protocol, const File_Rec &rec)
{
    const auto key = [&](const char *name) {
        out += ",\"";
        out += name;
        out += "\":";
    };
    // A text, and its exact bytes where the text alone cannot give them.
    const auto text = [&](const char *name, const std::string &value) {
        key(name);
        if (AppendJsonString(out, value))
            return;
        key((std::string(name) + "Bytes").c_str());
        out += '"';
        for (char c : value) {
            out += kLowerHex[static_cast<uint8_t>(c) >> 4];
            out += kLowerHex[static_cast<uint8_t>(c) & 0xf];
        }
        out += '"';
    };
    out += "{\"protocol\":";
    AppendJsonString(out, protocol);
    key("state");
    out += std::to_string(rec.State);
    key("stateName");
    if (const char *stateName = JsonStateName(rec.State)) {
        out += '"';
        out += stateName;
        out += '"';
    } else {
        out += "null";
    }
    text("localIp", rec.LocalIp);
    key("localPort");
    AppendJsonNumber(out, rec.LocalPort);
    text("remoteIp", rec.RemoteIp);
    key("remotePort");
    AppendJsonNumber(out, rec.RemotePort);
    key("pid");
    AppendJsonNumber(out, rec.Pid);
    text("processName", rec.ProcessName);
    text("processPath", rec.ProcessPath);
    text("description", rec.FileDescription);
    text("company", rec.CompanyName);
    out += '}';
}

File_Rec WithUtf8Texts(const File_Rec &rec)
{
    File_Rec converted = rec;
    for (std::string *text : {&converted.ProcessName, &converted.ProcessPath, &converted.FileDescription,
                              &converted.CompanyName})
        *text = Utf8FromSystemText(*text);
    return converted;
}

}  // namespace quorvex
