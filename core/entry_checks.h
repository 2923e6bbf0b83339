// Conversion of an entry field's text to its value, the fixed limits of each
// field, and the check that runs when a field loses the focus.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace gridref {

enum class EntryField { txtDegSouth, txtMinSouth, txtDegEast, txtMinEast };

inline constexpr std::array<EntryField, 4> kAllEntryFields = {
    EntryField::txtDegSouth, EntryField::txtMinSouth, EntryField::txtDegEast,
    EntryField::txtMinEast};

struct EntryLimit {
  double lowest;
  double highest;
  std::string_view prompt;
  std::string_view title;
};

inline constexpr std::string_view kDegreesPrompt = "This Grid is not in Southern Africa!";
inline constexpr std::string_view kDegreesTitle = "SA Limits?";
inline constexpr std::string_view kMinutesPrompt = "Error! Out of Limit";
inline constexpr std::string_view kMinutesTitle = "Invalid Data?";

// Indexed by EntryField. Both bounds are accepted values.
inline constexpr std::array<EntryLimit, 4> kEntryLimits = {{
    {14.0, 36.0, kDegreesPrompt, kDegreesTitle},
    {0.0, 59.999, kMinutesPrompt, kMinutesTitle},
    {10.0, 36.0, kDegreesPrompt, kDegreesTitle},
    {0.0, 59.999, kMinutesPrompt, kMinutesTitle},
}};

constexpr const EntryLimit& LimitOf(EntryField field) {
  return kEntryLimits[static_cast<std::size_t>(field)];
}

// The leading decimal number of the UTF-8 text, after blanks (the tab and
// every Unicode space); 0 when there is none. Invisible format characters
// (byte-order mark, zero-width and direction marks, embeddings, isolates)
// are passed over wherever they stand, also between the sign and the digits
// and among the digits. The digits of every script count as the digits they
// are; the point is '.', so anything else, a comma too, ends the number.
// Never fails, never reads past the text; bytes that are not well-formed
// UTF-8 end it like any other character.
double NumericValue(std::string_view text);

bool IsWithinLimits(EntryField field, double v);

enum class DialogAnswer { Retry, Cancel };

// What the check needs of the window that owns the fields.
class EntryCheckHost {
public:
  virtual ~EntryCheckHost() = default;
  virtual std::string ReadText(EntryField field) = 0;
  virtual void SetText(EntryField field, std::string_view text) = 0;
  // Also makes the window active again, so that typing goes to the field.
  virtual void GiveFocus(EntryField field) = 0;
  virtual void Beep() = 0;
  virtual DialogAnswer AskRetryOrCancel(std::string_view prompt, std::string_view title) = 0;
};

enum class CheckOutcome {
  Accepted,
  Retried,   // the field emptied and focused again
  Cancelled, // the program is to end: the check did nothing after the box
};

CheckOutcome CheckEntry(EntryField field, EntryCheckHost& host);

} // namespace gridref
