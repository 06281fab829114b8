// Conversions between Text (GBK bytes) and Qt's strings and addresses, for display and input.
//
// Text is decoded and encoded as GB18030, a superset of GBK: every GBK pair shows as its
// character, and every character a user can type or paste has an encoding, so nothing typed
// becomes "?" or vanishes on the way back.
#pragma once

#include <QString>
#include <QUrl>

#include "text/text.h"

namespace veltrano {

// The characters of t. A byte that starts no valid character (a lone lead byte, a cut-off pair,
// also at the very end) shows as U+FFFD, so nothing disappears from view.
QString TextToQString(const Text& t);

// The GB18030 bytes of s, cut before its first U+0000 (a Text holds no zero byte).
Text QStringToText(const QString& s);

// The address t as a QUrl: each byte 0x80 or above travels percent-encoded as it is (%XX, capital
// hex digits), so GBK bytes reach a site as GBK bytes. Everything else is left as typed and read
// in QUrl's tolerant mode, which encodes spaces and stray "%" and, like every browser, writes an
// escape of a letter, digit or -._~ as the character itself and hex digits in capitals. The
// empty Text gives the empty QUrl.
QUrl TextToUrl(const Text& t);

// The fully encoded form of url (pure ASCII) as a Text; the empty QUrl gives the empty Text.
Text UrlToText(const QUrl& url);

}  // namespace veltrano
