#include "core/close_connection.h"

#include "core/fixed_texts.h"
#include "core/platform_port.h"
#include "core/prompts.h"
#include "core/tcp_state.h"
#include "core/text_forms.h"

namespace quorvex {

namespace {

constexpr int32_t kListen = 2;  // MIB_TCP_STATE_LISTEN

// Puts `value` in place of the first `placeholder`.
std::string Fill(std::string text, std::string_view placeholder, const std::string &value)
{
    const size_t at = text.find(placeholder);
    if (at != std::string::npos)
        text.replace(at, placeholder.size(), value);
    return text;
}

}  // namespace

bool CanCloseConnection(const TMyRec &rec)
{
    return IsTcpProtocol(rec.Protocol) && rec.StateText != GetTcpStateName(kListen);
}

std::string CloseConnectionQuestion(const TMyRec &rec)
{
    // A link-local address names its interface in the system's encoding.
    std::string text = texts::CloseConnectionConfirmMsg;
    text = Fill(std::move(text), "%1", Utf8FromSystemText(EndpointText(rec.LocalIp, rec.LocalPort)));
    return Fill(std::move(text), "%2", Utf8FromSystemText(EndpointText(rec.RemoteIp, rec.RemotePort)));
}

std::string CloseFailureText(const CloseOutcome &outcome)
{
    switch (outcome.Result) {
    case CloseResult::Closed: return {};
    case CloseResult::NotPermitted: return texts::CloseNotPermittedMsg;
    case CloseResult::Gone: return texts::CloseGoneMsg;
    case CloseResult::Ipv6NotSupported: return texts::CloseIpv6NotSupportedMsg;
    case CloseResult::Failed: break;
    }
    return Fill(texts::CloseFailedMsg, "%1", std::to_string(outcome.Error));
}

void CloseConnection(const TMyRec *focused, Prompts &prompts, Platform &platform,
                     const std::function<void()> &refresh)
{
    if (!focused || !CanCloseConnection(*focused))
        return;
    // A copy: the question runs a message loop, and a timer refresh in it
    // may delete the row that `focused` points at.
    const TcpConnection connection{focused->Protocol == ProtocolTcp6, focused->LocalIp, focused->LocalPort,
                                   focused->RemoteIp, focused->RemotePort, focused->Socket};
    if (!prompts.AskYesNo(CloseConnectionQuestion(*focused), true))
        return;
    const CloseOutcome outcome = platform.CloseConnection(connection);
    if (outcome.Result != CloseResult::Closed)
        prompts.ShowMessage(CloseFailureText(outcome));
    if ((outcome.Result == CloseResult::Closed || outcome.Result == CloseResult::Gone) && refresh)
        refresh();
}

}  // namespace quorvex
