#include "shell/text_conversion.h"

#include <QByteArray>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cstddef>
#include <string_view>

#include "extract/percent_decode.h"

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
  const std::string address =
      PercentEncode(t.bytes(), [](unsigned char byte) { return byte < 0x80; });
  return QUrl(QString::fromLatin1(address.data(), static_cast<qsizetype>(address.size())),
              QUrl::TolerantMode);
}

Text UrlToText(const QUrl& url) {
  const QByteArray encoded = url.toEncoded();
  return Text(std::string_view(encoded.constData(), static_cast<std::size_t>(encoded.size())));
}

}  // namespace veltrano
