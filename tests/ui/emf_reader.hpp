// Reads an Enhanced Metafile back with libUEMF's own checks (tests only) and lists its records.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace veldo::test {

struct EmfRecord {
  std::uint32_t type = 0;
  std::vector<char> bytes;  // the whole record
  std::uint32_t u32(std::size_t offset) const;
  std::int32_t i32(std::size_t offset) const { return static_cast<std::int32_t>(u32(offset)); }
};

struct EmfFile {
  std::string error;  // empty when every check passed
  std::vector<EmfRecord> records;
  int count(std::uint32_t type) const;
  // The UTF-8 text of every EMR_EXTTEXTOUTW record, in order.
  std::vector<std::string> texts() const;
  bool hasText(const std::string& text) const;
  // Polylines counted by the colour (COLORREF) of the pen selected when each was drawn, which
  // tells the curves written; 0xFFFFFFFF for the null pen.
  std::map<std::uint32_t, int> polylinesByPenColour() const;
};

// emf_readdata, then U_emf_record_sizeok and U_emf_record_safe on every record; also checks
// that the header's byte and record totals match the file and that EOF comes last.
EmfFile ReadEmf(const std::string& path);

}  // namespace veldo::test
