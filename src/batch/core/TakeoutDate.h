#pragma once

#include <QDateTime>
#include <QString>

// Reads the date-and-time texts Google Takeout writes into "formatted" and that Drive writes
// into its modification dates: "Jul 14, 2017, 2:40:00 AM UTC", "16 Nov 2009, 12:51:58 UTC",
// "July 14, 2017 at 2:40:00 PM GMT+2", "2017-07-14T02:40:00Z". Month names in English, day
// before or after the month, 12 or 24 hours, a zone name or offset (none reads as UTC: Takeout
// writes UTC unless it says otherwise). Invalid when the text names no whole date and time.
QDateTime detectTakeoutDate(const QString &text);
