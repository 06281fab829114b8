#include "shell/text_conversion.h"

#include <QByteArray>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cstddef>
#include <string_view>

namespace veltrano {
namespace {

constexpr const char* kCodec = "GB18030";

}  // namespace

QString TextToQString(const Text& t) {
  // Qt's GB18030 decoder keeps an incomplete sequence at the end of its input back, waiting for
  // more, even when told to be stateless. A zero byte after the Text completes every sequence (as
  // an invalid one, shown as U+FFFD) and comes out as a U+0000 of its own, dropped again here.
  QByteArray bytes(t.bytes().data(), static_cast<qsizetype>(t.bytes().size()));
  bytes.append('\0');
  QStringDecoder decoder(kCodec);
  QString decoded = decoder.decode(bytes);
  decoded.chop(1);
  return decoded;
}

Text QStringToText(const QString& s) {
  QStringEncoder encoder(kCodec);
  const QByteArray bytes = encoder.encode(s);
  return Text(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

QUrl TextToUrl(const Text& t) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  QString address;
  address.reserve(static_cast<qsizetype>(t.bytes().size()));
  for (const char c : t.bytes()) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      address.append(QLatin1Char(c));
    } else {
      address.append(QLatin1Char('%'));
      address.append(QLatin1Char(kHexDigits[byte >> 4]));
      address.append(QLatin1Char(kHexDigits[byte & 0x0F]));
    }
  }
  return QUrl(address, QUrl::TolerantMode);
}

Text UrlToText(const QUrl& url) {
  const QByteArray encoded = url.toEncoded();
  return Text(std::string_view(encoded.constData(), static_cast<std::size_t>(encoded.size())));
}

}  // namespace veltrano
