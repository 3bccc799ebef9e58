// Writes N distinct catalogues of about M entries each straight in the catalogue
// format, for the search index's benchmark: a folder tree of random shape, folder
// and file names made from a word list, sizes spread over many magnitudes; each
// catalogue from its own seed. With a NAMES file, every entry's name also goes
// there, one a line, for plocate-build --plaintext.
//
//   make_catalogues OUT_DIR N M [WORD_LIST] [NAMES_FILE] [FIRST_SEED]
//
// Catalogues are OUT_DIR/cat001.qvl and so on.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr const char* kExtensions[] = {"jpg", "JPG", "png", "txt", "pdf", "doc", "docx", "mp3", "flac", "mp4",
                                       "mkv", "c", "h", "cpp", "py", "html", "css", "js", "zip", "tar.gz",
                                       "iso", "exe", "dll", "ini", "log", "xml", "json", "md", "odt", "xls"};

class Generator {
 public:
  Generator(const std::vector<std::string>& words, std::uint64_t seed, std::FILE* out, std::ofstream* names)
      : words_(words), random_(seed), out_(out), names_(names) {}

  void Catalogue(std::int64_t entries, int number) {
    Put('\0');
    Text("c: [disk" + std::to_string(number) + "]");
    Records(entries, 0);  // the root: no FolderStart, no name
    Put('\0');
  }

  void Folder(const std::string& name, std::int64_t budget, int depth) {
    Put('\1');
    Text(name);
    Records(budget, depth);
  }

 private:
  std::uint64_t Below(std::uint64_t n) { return n == 0 ? 0 : random_() % n; }
  const std::string& Word() { return words_[Below(words_.size())]; }
  std::string Capital(std::string word) {
    if (!word.empty() && word[0] >= 'a' && word[0] <= 'z') word[0] = static_cast<char>(word[0] - 32);
    return word;
  }

  std::string FolderName() {
    switch (Below(6)) {
      case 0: return Capital(Word());
      case 1: return Capital(Word()) + " " + Word();
      case 2: return std::to_string(1990 + Below(36));
      case 3: return Word() + "_" + Word();
      case 4: return Capital(Word()) + " " + Capital(Word()) + " (" + std::to_string(1970 + Below(56)) + ")";
      default: return Word();
    }
  }

  std::string FileName() {
    const char* ext = kExtensions[Below(std::size(kExtensions))];
    char digits[16];
    switch (Below(7)) {
      case 0:
        std::snprintf(digits, sizeof digits, "%04u", static_cast<unsigned>(Below(10000)));
        return std::string("IMG_") + digits + "." + ext;
      case 1: return Word() + "_" + Word() + "." + ext;
      case 2: return Capital(Word()) + " " + Capital(Word()) + "." + ext;
      case 3: return Word() + "-" + Word() + "-" + std::to_string(Below(1000)) + "." + ext;
      case 4: return Capital(Word()) + "." + ext;
      case 5: return std::to_string(Below(100)) + " - " + Capital(Word()) + " " + Word() + "." + ext;
      default: return Word() + std::to_string(Below(100)) + "." + ext;
    }
  }

  std::string Size() {
    std::uint64_t magnitude = 1;
    for (std::uint64_t i = Below(10); i > 0; --i) magnitude *= 10;
    auto size = static_cast<std::int64_t>(magnitude + Below(magnitude * 9 + 1));
    // As the format keeps it: the low 32 bits, signed.
    return std::to_string(static_cast<std::int32_t>(static_cast<std::uint32_t>(size)));
  }

  static bool Before(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
      return fold(x) < fold(y);
    });
  }

  void Records(std::int64_t budget, int depth) {
    std::int64_t files = depth > 10 ? budget : std::min<std::int64_t>(budget, 3 + static_cast<std::int64_t>(Below(40)));
    budget -= files;
    std::int64_t folders = budget <= 0 ? 0 : std::min<std::int64_t>(budget, depth < 2 ? 8 + static_cast<std::int64_t>(Below(8)) : 1 + static_cast<std::int64_t>(Below(6)));
    budget -= folders;
    std::vector<std::string> folderNames, fileNames;
    for (std::int64_t i = 0; i < folders; ++i) folderNames.push_back(FolderName());
    for (std::int64_t i = 0; i < files; ++i) fileNames.push_back(FileName());
    std::sort(folderNames.begin(), folderNames.end(), Before);
    std::sort(fileNames.begin(), fileNames.end(), Before);
    for (const std::string& name : folderNames) {
      Put('\4');
      Text(name);
      Name(name);
    }
    for (const std::string& name : fileNames) {
      Put('\3');
      Text(name + "/" + Size());
      Name(name);
    }
    // What is left goes to the subfolders, in random shares.
    std::vector<std::uint64_t> weights(folderNames.size());
    std::uint64_t total = 0;
    for (auto& weight : weights) total += (weight = 1 + Below(100));
    std::int64_t given = 0;
    for (std::size_t i = 0; i < folderNames.size(); ++i) {
      std::int64_t share = i + 1 == folderNames.size()
                               ? budget - given
                               : static_cast<std::int64_t>(static_cast<double>(budget) * static_cast<double>(weights[i]) / static_cast<double>(total));
      given += share;
      Folder(folderNames[i], share, depth + 1);
    }
    Put('\2');
  }

  void Put(char c) { std::fputc(c, out_); }
  void Text(const std::string& text) { std::fwrite(text.data(), 1, text.size(), out_); }
  void Name(const std::string& name) {
    if (names_ != nullptr) *names_ << name << '\n';
  }

  const std::vector<std::string>& words_;
  std::mt19937_64 random_;
  std::FILE* out_;
  std::ofstream* names_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::cerr << "usage: make_catalogues OUT_DIR N M [WORD_LIST] [NAMES_FILE] [FIRST_SEED]\n";
    return 2;
  }
  const std::string outDir = argv[1];
  const int count = std::stoi(argv[2]);
  const std::int64_t entries = std::stoll(argv[3]);
  const std::string wordList = argc > 4 ? argv[4] : "/usr/share/dict/words";
  std::vector<std::string> words;
  std::ifstream wordFile(wordList);
  for (std::string word; std::getline(wordFile, word);) {
    // Plain words only: no apostrophes, no accents.
    if (!word.empty() && std::all_of(word.begin(), word.end(), [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }))
      words.push_back(word);
  }
  if (words.empty()) {
    std::cerr << "make_catalogues: no words in " << wordList << '\n';
    return 2;
  }
  std::ofstream names;
  if (argc > 5) names.open(argv[5]);
  const std::uint64_t firstSeed = argc > 6 ? std::stoull(argv[6]) : 1;
  for (int i = 1; i <= count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/cat%03d.qvl", i);
    std::FILE* out = std::fopen((outDir + name).c_str(), "wb");
    if (out == nullptr) {
      std::perror((outDir + name).c_str());
      return 1;
    }
    std::vector<char> buffer(1 << 20);
    std::setvbuf(out, buffer.data(), _IOFBF, buffer.size());
    Generator generator(words, firstSeed + static_cast<std::uint64_t>(i), out, names.is_open() ? &names : nullptr);
    generator.Catalogue(entries, i);
    if (std::fclose(out) != 0) {
      std::perror((outDir + name).c_str());
      return 1;
    }
  }
  return 0;
}
