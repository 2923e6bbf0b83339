// The two windows as data, in twips: what each frontend renders. Names,
// captions and geometry are the windows' own; only the fonts' stand-in faces
// (for platforms that lack the window's own face) are additions.
#pragma once

#include "core/entry_checks.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace ui {

enum class ControlKind { Label, TextBox, Button, Frame, Image };

// What a control does in its window, whichever toolkit renders it: events
// reach the shared behaviour by role, never by a control's name.
enum class Role {
  Caption, // says what is beside it; does nothing
  Entry,   // one of the four fields, named by its EntryField
  Convert,
  Copy,
  Exit,
  Result,  // shows the grid reference
  Surface, // a press and release on it dismisses the title window
};

struct Colour {
  enum class Kind { Default, Rgb, ButtonFace, MenuBackground, Transparent };
  Kind kind = Kind::Default;
  std::uint8_t red = 0, green = 0, blue = 0;
};

inline constexpr Colour Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return {Colour::Kind::Rgb, r, g, b};
}
inline constexpr Colour kDefaultColour{};
inline constexpr Colour kTransparent{Colour::Kind::Transparent};
inline constexpr Colour kButtonFace{Colour::Kind::ButtonFace};
inline constexpr Colour kMenuBackground{Colour::Kind::MenuBackground};

// The window's own face first, then stand-ins; no face: the default font.
struct FontSpec {
  std::array<std::string_view, 4> faces{};
  float points = 0;
  bool bold = false;
  constexpr bool IsDefault() const { return faces[0].empty(); }
};

enum class Align { Left, Centre, Right };

inline constexpr int kNoTabIndex = -1;

struct ControlLayout {
  ControlKind kind = ControlKind::Label;
  Role role = Role::Caption;
  gridref::EntryField field{}; // of a Role::Entry row
  std::string_view name{};
  std::string_view caption{}; // UTF-8; '&' marks an access key on buttons
  int left = 0, top = 0, width = 0, height = 0;
  int tabIndex = kNoTabIndex;
  FontSpec font{};
  Colour background{};
  // Text drawn over a fixed colour (the window's grey, the teal bands) has a
  // fixed colour too: a desktop's own text colour may be light.
  Colour foreground{};
  Align align = Align::Left;
  std::string_view parent{}; // empty: the window itself
  bool sizesItself = false;
  bool isDefault = false; // pressed by Enter
  bool isCancel = false;  // pressed by Escape
  std::string_view accessibleName{};
};

enum class Border { Resizable, FixedDialogNoTitle };

struct WindowLayout {
  std::string_view name;
  std::string_view caption;
  int clientWidth, clientHeight;
  Colour background;
  Border border;
  std::span<const ControlLayout> controls; // in creation order
  // What a screen reader says of a window without a caption.
  std::string_view accessibleName{};
  std::string_view accessibleDescription{};
};

inline constexpr int kTwipsPerInch = 1440;

// The controls without a font of their own take the platform's dialog face
// at the size the twips were laid out for, scaled by the DPI like the twips:
// a desktop's larger usual size would clip the captions.
inline constexpr float kDefaultFontPoints = 8.25f;

// Twips to pixels at a dots-per-inch value, rounded to nearest.
constexpr int TwipsToPixels(int twips, int dpi) {
  const long scaled = static_cast<long>(twips) * dpi;
  return static_cast<int>((scaled + (scaled >= 0 ? kTwipsPerInch / 2 : -kTwipsPerInch / 2)) /
                          kTwipsPerInch);
}

extern const WindowLayout kGridrefLayout;
extern const WindowLayout kSplashLayout;

// The control of this name; the program's own tables always hold it.
const ControlLayout& ControlNamed(const WindowLayout& window, std::string_view name);

} // namespace ui
