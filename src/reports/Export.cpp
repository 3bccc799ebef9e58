#include "reports/Export.h"

#include <ctime>
#include <nlohmann/json.hpp>

#include "platform/Locale.h"
#include "reports/EntryStream.h"

namespace qvl {
namespace {

// A text for a format that wants UTF-8: the bytes themselves when they are UTF-8,
// else read as Windows-1252; `raw` tells which.
struct Utf8Text {
  void Set(std::string_view bytes) {
    raw = !IsValidUtf8(bytes);
    if (!raw) {
      view = bytes;
      return;
    }
    decoded = Windows1252ToUtf8(bytes);
    view = decoded;
  }
  std::string_view view;
  std::string decoded;
  bool raw = false;
};

// A JSON string for the text, escaped by the library.
void AppendJsonString(std::string& out, std::string_view utf8) {
  out += nlohmann::json(utf8).dump();
}

void AppendNumber(std::string& out, std::int64_t value) { out += std::to_string(value); }

std::string HashText(const ContentHash& hash) {
  return HexText(std::string_view(reinterpret_cast<const char*>(hash.data()), hash.size()));
}

// The writers: each handed the entries in file order and the folders as they open
// and close; the text gathers in `line_` and goes out in large writes.
class Writer : public EntryVisitor {
 public:
  explicit Writer(ByteSink& out) : out_(out) {}
  std::uint64_t written = 0;

  void Finish() {
    Drain();
    out_.Flush();
  }

 protected:
  void Drain() {
    out_.Write(line_);
    line_.clear();
  }
  void MaybeDrain() {
    if (line_.size() >= (std::size_t{1} << 16)) Drain();
  }
  // The path text of the entry's folder, made once per folder.
  const Utf8Text& PathOf(const StreamedEntry& streamed) {
    if (streamed.folder != pathFolder_ || !pathSet_) {
      pathFolder_ = streamed.folder;
      pathSet_ = true;
      path_.Set(streamed.path);
      pathHex_ = path_.raw ? HexText(streamed.path) : std::string();
    }
    return path_;
  }
  const std::string& PathHex() const { return pathHex_; }

  std::string line_;
  Utf8Text name_;

 private:
  ByteSink& out_;
  std::size_t pathFolder_ = 0;
  bool pathSet_ = false;
  Utf8Text path_;
  std::string pathHex_;
};

class JsonLinesWriter final : public Writer {
 public:
  using Writer::Writer;
  void EntryRead(const StreamedEntry& streamed) override {
    const Utf8Text& path = PathOf(streamed);
    if (streamed.folder != jsonFolder_ || !jsonSet_) {
      jsonFolder_ = streamed.folder;
      jsonSet_ = true;
      pathJson_.clear();
      AppendJsonString(pathJson_, path.view);
    }
    const ReportEntry& entry = streamed.entry;
    name_.Set(entry.name);
    line_ += "{\"path\":";
    line_ += pathJson_;
    line_ += ",\"name\":";
    AppendJsonString(line_, name_.view);
    line_ += entry.isFolder ? ",\"kind\":\"folder\"" : ",\"kind\":\"file\"";
    if (entry.size) {
      line_ += ",\"size\":";
      AppendNumber(line_, *entry.size);
    }
    if (entry.modified) {
      line_ += ",\"modified\":\"";
      line_ += UtcTimeText(*entry.modified);
      line_ += '"';
    }
    if (entry.hash) {
      line_ += ",\"hash\":\"";
      line_ += HashText(*entry.hash);
      line_ += '"';
    }
    if (path.raw) {
      line_ += ",\"path_hex\":\"";
      line_ += PathHex();
      line_ += '"';
    }
    if (name_.raw) {
      line_ += ",\"name_hex\":\"";
      line_ += HexText(entry.name);
      line_ += '"';
    }
    line_ += "}\n";
    ++written;
    MaybeDrain();
  }

 private:
  std::size_t jsonFolder_ = 0;
  bool jsonSet_ = false;
  std::string pathJson_;
};

// RFC 4180: a field holding a comma, a quote or a line break is quoted, its quotes
// doubled.
void AppendCsvField(std::string& out, std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
    out += text;
    return;
  }
  out += '"';
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

class CsvWriter final : public Writer {
 public:
  explicit CsvWriter(ByteSink& out) : Writer(out) { line_ += "path,name,kind,size,modified,hash,path_hex,name_hex\r\n"; }
  void EntryRead(const StreamedEntry& streamed) override {
    const Utf8Text& path = PathOf(streamed);
    const ReportEntry& entry = streamed.entry;
    name_.Set(entry.name);
    AppendCsvField(line_, path.view);
    line_ += ',';
    AppendCsvField(line_, name_.view);
    line_ += entry.isFolder ? ",folder," : ",file,";
    if (entry.size) AppendNumber(line_, *entry.size);
    line_ += ',';
    if (entry.modified) line_ += UtcTimeText(*entry.modified);
    line_ += ',';
    if (entry.hash) line_ += HashText(*entry.hash);
    line_ += ',';
    line_ += PathHex();
    line_ += ',';
    if (name_.raw) line_ += HexText(entry.name);
    line_ += "\r\n";
    ++written;
    MaybeDrain();
  }
};

// ncdu's format nests: a directory is an array of its own object and its items.
// Folders come from the folder records; the SubfolderEntry records are not written.
class NcduWriter final : public Writer {
 public:
  NcduWriter(ByteSink& out, FolderIndex& folders, const std::string& caption, const ExportOptions& options)
      : Writer(out), folders_(folders), caption_(caption) {
    nlohmann::json head = {{"progname", options.programName},
                           {"progver", options.programVersion},
                           {"timestamp", options.timestamp}};
    line_ += "[1,2,";
    line_ += head.dump();
    line_ += ",\n";
  }
  void FolderOpened(std::size_t folder) override {
    std::string_view name = folder == FolderIndex::kRoot ? std::string_view(caption_) : folders_.Name(folder);
    if (folder != FolderIndex::kRoot) line_ += ",\n";
    line_ += "[{\"name\":";
    Named(name);
    line_ += '}';
  }
  void FolderClosed(std::size_t) override {
    line_ += ']';
    MaybeDrain();
  }
  void EntryRead(const StreamedEntry& streamed) override {
    const ReportEntry& entry = streamed.entry;
    if (entry.isFolder) return;
    line_ += ",\n{\"name\":";
    Named(entry.name);
    if (entry.size) {
      line_ += ",\"asize\":";
      AppendNumber(line_, *entry.size);
      line_ += ",\"dsize\":";
      AppendNumber(line_, *entry.size);
    }
    if (entry.modified) {
      line_ += ",\"mtime\":";
      AppendNumber(line_, *entry.modified);
    }
    line_ += '}';
    ++written;
    MaybeDrain();
  }
  void End() { line_ += "]]\n"; }

 private:
  void Named(std::string_view bytes) {
    name_.Set(bytes);
    AppendJsonString(line_, name_.view);
    if (name_.raw) {
      line_ += ",\"name_hex\":\"";
      line_ += HexText(bytes);
      line_ += '"';
    }
  }
  FolderIndex& folders_;
  std::string caption_;
};

}  // namespace

std::optional<ExportFormat> ExportFormatNamed(std::string_view name) {
  if (name == "jsonl") return ExportFormat::JsonLines;
  if (name == "csv") return ExportFormat::Csv;
  if (name == "ncdu") return ExportFormat::Ncdu;
  return std::nullopt;
}

std::string UtcTimeText(std::int64_t seconds) {
  std::tm parts{};
  auto when = static_cast<std::time_t>(seconds);
  if (gmtime_r(&when, &parts) == nullptr) return {};
  char text[64];
  std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return std::string(text, length);
}

std::string HexText(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (char c : bytes) {
    auto byte = static_cast<unsigned char>(c);
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text;
}

std::uint64_t ExportCatalogue(const std::string& name, ByteSink& out, const ExportOptions& options,
                              Progress& progress) {
  FolderIndex folders;
  EntryStream stream(name, folders, progress, {.facts = options.facts});
  switch (options.format) {
    case ExportFormat::JsonLines: {
      JsonLinesWriter writer(out);
      stream.Run(writer);
      writer.Finish();
      return writer.written;
    }
    case ExportFormat::Csv: {
      CsvWriter writer(out);
      stream.Run(writer);
      writer.Finish();
      return writer.written;
    }
    case ExportFormat::Ncdu: break;
  }
  NcduWriter writer(out, folders, stream.Caption(), options);
  stream.Run(writer);
  writer.End();
  writer.Finish();
  return writer.written;
}

}  // namespace qvl
