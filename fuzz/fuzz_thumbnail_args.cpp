// Target: what a file manager hands the thumbnailer. The bytes are the
// command line, arguments separated by NUL bytes (with "--thumbnail" first
// when the first byte is odd); each argument is also read as a file URI. A
// URI's path is absolute, holds no NUL, and gives the same bytes back when
// escaped again; the JSON string of any path is valid UTF-8 JSON and gives
// the path back (bytes that are not UTF-8 as \udc80-\udcff); a command line
// that is accepted has a log, an output and a size in range.
#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QString>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "HeaderJson.h"
#include "RenderOptions.h"
#include "fuzz/FuzzEnvironment.h"

namespace {

// Escapes every byte but the unreserved ones and "/".
std::string FileUri(const std::string& path) {
  static const char* hex = "0123456789ABCDEF";
  std::string uri = "file://";
  for (const char ch : path) {
    const auto c = static_cast<unsigned char>(ch);
    if (std::isalnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
      uri += ch;
    } else {
      uri += '%';
      uri += hex[c >> 4];
      uri += hex[c & 15];
    }
  }
  return uri;
}

// The bytes a JSON string stands for, lone surrogates U+DC80-U+DCFF read
// back as single bytes.
std::string JsonBytes(const QString& text) {
  std::string bytes;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t u = text[i].unicode();
    if (u >= 0xDC80 && u <= 0xDCFF && (i == 0 || !text[i - 1].isHighSurrogate())) {
      bytes += static_cast<char>(u - 0xDC00);
    } else {
      const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
      bytes += text.mid(i, n).toStdString();
      i += n - 1;
    }
  }
  return bytes;
}

void CheckJsonString(const std::string& s) {
  const std::string json = "[" + JsonString(s) + "]";
  const QByteArray bytes = QByteArray::fromStdString(json);
  if (QString::fromUtf8(bytes).toUtf8() != bytes) std::abort();  // not valid UTF-8
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
  if (error.error != QJsonParseError::NoError || !doc.isArray()) std::abort();
  if (JsonBytes(doc.array().at(0).toString()) != s) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzzenv::Initialize(argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  std::vector<std::string> args;
  if (data[0] & 1) args.push_back("--thumbnail");
  std::string arg;
  for (std::size_t i = 1; i <= size; ++i) {
    if (i == size || data[i] == 0) {
      args.push_back(arg);
      arg.clear();
    } else {
      arg += static_cast<char>(data[i]);
    }
  }
  for (const std::string& a : args) {
    CheckJsonString(a);
    const std::optional<std::string> path = FileUriPath(a);
    if (!path) continue;
    if (path->empty() || (*path)[0] != '/' || path->find('\0') != std::string::npos) std::abort();
    if (FileUriPath(FileUri(*path)) != path) std::abort();
  }
  std::string error;
  const std::optional<RenderOptions> o = ParseRenderOptions(args, error);
  if (!o) {
    if (error.empty()) std::abort();
    return 0;
  }
  if (o->mode == RenderOptions::Mode::Thumbnail &&
      (o->log.empty() || o->output.empty() || o->thumbnail_size < 1 ||
       o->thumbnail_size > 4096 || o->log.find('\0') != std::string::npos))
    std::abort();
  return 0;
}
