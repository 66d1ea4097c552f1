// korvale-libgen: compiles a library source into its binary file.
//
//   korvale-libgen patterns data/patterns.txt Zelmorth.Pat
//   korvale-libgen symbols  data/symbols.txt  Zelmorth.Sym
//   korvale-libgen errors   data/VESK.ERR.txt VESK.ERR
//
// Exit status 0 on success; on a fault in the source, a message naming the
// file and line on stderr, exit status 1, and no output file is written.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include "ErrorTableSource.h"
#include "LibraryWriter.h"
#include "RecordSource.h"

namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw libgen::SourceError(path + ": cannot be read");
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Writes beside the target and renames, so a failed run never leaves a
// half-written library for the program to pick up.
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::string temp = path + ".part";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw libgen::SourceError(temp + ": cannot be written");
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0)
    throw libgen::SourceError(path + ": cannot be replaced");
}

int Usage() {
  std::cerr << "usage: korvale-libgen patterns|symbols|errors SOURCE OUTPUT\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return Usage();
  const std::string mode = argv[1], source = argv[2], output = argv[3];
  try {
    std::string text = ReadText(source);
    if (mode == "patterns") {
      auto records = libgen::ParseRecordSource(text, libgen::LibraryKind::Pattern, source);
      WriteBytes(output, libgen::BuildPatternLibrary(records));
    } else if (mode == "symbols") {
      auto records = libgen::ParseRecordSource(text, libgen::LibraryKind::Symbol, source);
      WriteBytes(output, libgen::BuildSymbolLibrary(records));
    } else if (mode == "errors") {
      libgen::CheckErrorTable(text, source);
      WriteBytes(output, libgen::ErrorTableBytes(text));
    } else {
      return Usage();
    }
  } catch (const libgen::SourceError& e) {
    std::cerr << "korvale-libgen: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
