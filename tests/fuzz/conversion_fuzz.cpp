// Fuzzes the whole conversion of four entry texts, separated by newlines in
// the input; the first byte picks the decimal separator.
#include "core/grid_reference.h"

#include "properties.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const char* const separators[] = {".", ",", "\u066B"};
  const std::string separator = separators[data[0] % 3];
  std::vector<std::string> texts(4);
  std::size_t field = 0;
  for (std::size_t i = 1; i < size; ++i) {
    if (data[i] == '\n' && field < 3)
      ++field;
    else
      texts[field] += static_cast<char>(data[i]);
  }
  const auto entry = gridref::ReadCoordinateEntry(texts[0], texts[1], texts[2], texts[3]);
  const std::string reference = gridref::ComposeGridReference(entry, separator);
  const std::string error = gridref::testing::GridReferenceShapeError(reference, entry.degreesSouth,
                                                                      entry.degreesEast, separator);
  if (!error.empty()) {
    std::fprintf(stderr, "property violated: %s\n", error.c_str());
    std::abort();
  }
  if (gridref::ComposeGridReference(entry, separator) != reference) {
    std::fprintf(stderr, "property violated: a second conversion differs\n");
    std::abort();
  }
  return 0;
}
