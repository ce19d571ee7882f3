#pragma once

namespace quorvex {

struct TMyRec;

/// The copy command: the row's 14-line report (RowReportText) replaces the
/// clipboard's content as plain text. Nothing happens without a focused row.
void CopyRowReport(const TMyRec *focused);

}  // namespace quorvex
