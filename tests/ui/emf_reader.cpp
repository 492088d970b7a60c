#include "tests/ui/emf_reader.hpp"

#include <QString>

#include <algorithm>
#include <cstdlib>
#include <cstring>

extern "C" {
#include <uemf.h>
#include <uemf_endian.h>
#include <uemf_safe.h>
}

namespace veldo::test {

std::uint32_t EmfRecord::u32(std::size_t offset) const {
  std::uint32_t v = 0;
  if (offset + 4 <= bytes.size()) std::memcpy(&v, bytes.data() + offset, 4);
  return v;
}

bool EmfFile::hasText(const std::string& text) const {
  const auto all = texts();
  return std::find(all.begin(), all.end(), text) != all.end();
}

std::map<std::uint32_t, int> EmfFile::polylinesByPenColour() const {
  std::map<std::uint32_t, std::uint32_t> penColour;  // handle -> colour
  std::map<std::uint32_t, int> out;
  std::uint32_t current = 0;
  for (const auto& r : records) {
    if (r.type == U_EMR_EXTCREATEPEN) penColour[r.u32(8)] = r.u32(40);
    if (r.type == U_EMR_SELECTOBJECT && penColour.count(r.u32(8))) current = penColour[r.u32(8)];
    if (r.type == U_EMR_SELECTOBJECT && r.u32(8) == U_NULL_PEN) current = 0xFFFFFFFF;
    if (r.type == U_EMR_POLYLINE) ++out[current];
  }
  return out;
}

int EmfFile::count(std::uint32_t type) const {
  return static_cast<int>(std::count_if(records.begin(), records.end(),
                                        [type](const EmfRecord& r) { return r.type == type; }));
}

std::vector<std::string> EmfFile::texts() const {
  std::vector<std::string> out;
  for (const EmfRecord& r : records) {
    if (r.type != U_EMR_EXTTEXTOUTW) continue;
    const std::uint32_t n = r.u32(44), off = r.u32(48);
    std::u16string s(off + 2 * std::size_t{n} <= r.bytes.size() ? n : 0, u'\0');
    std::memcpy(s.data(), r.bytes.data() + off, 2 * s.size());
    out.push_back(QString::fromStdU16String(s).toStdString());
  }
  return out;
}

EmfFile ReadEmf(const std::string& path) {
  EmfFile file;
  char* contents = nullptr;
  size_t length = 0;
  if (emf_readdata(path.c_str(), &contents, &length) != 0 || contents == nullptr) {
    file.error = "emf_readdata failed";
    return file;
  }
  const char* limit = contents + length;
  size_t offset = 0;
  while (offset < length) {
    const char* record = contents + offset;
    uint32_t size = 0, type = 0;
    // The last argument tells libUEMF the record is in this machine's byte order (little
    // endian): with 0 it reads every field byte-swapped.
    if (!U_emf_record_sizeok(record, limit, &size, &type, 1)) {
      file.error = "record at " + std::to_string(offset) + " has a bad size";
      break;
    }
    if (!U_emf_record_safe(record)) {
      file.error = "record at " + std::to_string(offset) + " (type " + std::to_string(type) + ") is not safe";
      break;
    }
    file.records.push_back({type, std::vector<char>(record, record + size)});
    offset += size;
    if (type == U_EMR_EOF) break;
  }
  if (file.error.empty()) {
    if (file.records.empty() || file.records.front().type != U_EMR_HEADER)
      file.error = "no header first";
    else if (file.records.back().type != U_EMR_EOF || offset != length)
      file.error = "EOF is not the last record";
    else if (file.records.front().u32(48) != length)
      file.error = "header nBytes " + std::to_string(file.records.front().u32(48)) + " != " + std::to_string(length);
    else if (file.records.front().u32(52) != file.records.size())
      file.error = "header nRecords does not match";
    else if (file.records.front().u32(40) != U_ENHMETA_SIGNATURE)
      file.error = "bad signature";
  }
  std::free(contents);
  return file;
}

}  // namespace veldo::test
