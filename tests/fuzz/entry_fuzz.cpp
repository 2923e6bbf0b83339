// Fuzzes an entry field's text: its value, its limits and the check's dialog
// steps. The first byte picks the field and the answer to the box.
#include "core/entry_checks.h"

#include "properties.h"
#include "scripted_host.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void Fail(const std::string& what) {
  std::fprintf(stderr, "property violated: %s\n", what.c_str());
  std::abort();
}

// The limits as the design's table gives them, written out again here.
bool Refused(gridref::EntryField field, double v) {
  switch (field) {
  case gridref::EntryField::txtDegSouth:
    return v < 14 || v > 36;
  case gridref::EntryField::txtDegEast:
    return v < 10 || v > 36;
  default:
    return v < 0 || v > 59.999;
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  using namespace gridref;
  const auto field = kAllEntryFields[data[0] % 4];
  const bool retry = (data[0] & 4) != 0;
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  if (const std::string error = testing::NumericValueError(text); !error.empty()) Fail(error);
  const double v = NumericValue(text);
  if (v != v) Fail("NaN");
  const bool refused = Refused(field, v);
  if (IsWithinLimits(field, v) == refused) Fail("limits disagree for " + std::to_string(v));

  testing::ScriptedHost host;
  host.Text(field) = text;
  host.answers = {retry ? DialogAnswer::Retry : DialogAnswer::Cancel};
  host.Check(field);
  const EntryLimit& limit = LimitOf(field);
  if (host.calls != testing::ExpectedCheckCalls(testing::FieldName(field), refused, retry,
                                                limit.prompt, limit.title))
    Fail("dialog steps out of order for '" + text.substr(0, 40) + "'");
  if (host.Text(field) != (refused && retry ? "" : text)) Fail("field text after the check");
  return 0;
}
