#include "core/endpoint_text.h"

#include <cstdint>

namespace quorvex {

namespace {

const char kHex[] = "0123456789ABCDEF";

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
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
}

}  // namespace

void AppendJsonString(std::string &out, std::string_view text)
{
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
                if (c < 0x20)
                    AppendByteEscape(out, c);
                else
                    out += static_cast<char>(c);
            }
            ++i;
            continue;
        }
        const size_t length = Utf8SequenceLength(text.substr(i));
        if (length == 0) {
            AppendByteEscape(out, c);
            ++i;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    out += '"';
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
    out += "{\"protocol\":";
    AppendJsonString(out, protocol);
    out += ",\"state\":";
    out += std::to_string(rec.State);
    const std::pair<const char *, const std::string *> fields[] = {
        {"localIp", &rec.LocalIp},         {"localPort", &rec.LocalPort},     {"remoteIp", &rec.RemoteIp},
        {"remotePort", &rec.RemotePort},   {"pid", &rec.Pid},                 {"processName", &rec.ProcessName},
        {"processPath", &rec.ProcessPath}, {"description", &rec.FileDescription}, {"company", &rec.CompanyName},
    };
    for (const auto &[key, value] : fields) {
        out += ",\"";
        out += key;
        out += "\":";
        AppendJsonString(out, *value);
    }
    out += '}';
}

}  // namespace quorvex
