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

void AppendEndpointHeader(std::string &out, bool traffic)
{
    out += "protocol\tstate\tlocalIp\tlocalPort\tremoteIp\tremotePort\tpid\tprocessName\tprocessPath\t"
           "description\tcompany";
    out += traffic ? "\tbytesSent\tbytesReceived\n" : "\n";
}

void AppendEndpointLine(std::string &out, std::string_view protocol, const File_Rec &rec, bool traffic)
{
    AppendLineField(out, protocol);
    out += '\t';
    out += std::to_string(rec.State);
    for (const std::string *field : {&rec.LocalIp, &rec.LocalPort, &rec.RemoteIp, &rec.RemotePort, &rec.Pid,
                                     &rec.ProcessName, &rec.ProcessPath, &rec.FileDescription, &rec.CompanyName}) {
        out += '\t';
        AppendLineField(out, *field);
    }
    if (traffic) {
        out += '\t';
        if (rec.Traffic)
            out += std::to_string(rec.Traffic->Sent);
        out += '\t';
        if (rec.Traffic)
            out += std::to_string(rec.Traffic->Received);
    }
    out += '\n';
}

void AppendEndpointJson(std::string &out, std::string_view protocol, const File_Rec &rec, bool traffic)
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
    if (traffic) {
        key("bytesSent");
        out += rec.Traffic ? std::to_string(rec.Traffic->Sent) : "null";
        key("bytesReceived");
        out += rec.Traffic ? std::to_string(rec.Traffic->Received) : "null";
    }
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
