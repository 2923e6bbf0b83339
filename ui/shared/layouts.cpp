#include "ui/shared/layouts.h"

#include <cstdlib>

namespace ui {
namespace {

// A plain face last: fontconfig's own stand-in for Comic Sans MS is a
// calligraphic one.
constexpr FontSpec kComicSans(float points, bool bold) {
  return {{"Comic Sans MS", "Comic Neue", "Liberation Sans", "DejaVu Sans"}, points, bold};
}
constexpr FontSpec kMsSansSerif(float points, bool bold) {
  return {
      {"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "DejaVu Sans"}, points, bold};
}
constexpr FontSpec kArial(float points, bool bold) {
  return {{"Arial", "Liberation Sans"}, points, bold};
}

constexpr Colour kWindowGrey = Rgb(224, 224, 224);
constexpr Colour kBandTeal = Rgb(0, 192, 192);
// Black: 15.9:1 on the grey, 9.3:1 on the teal.
constexpr Colour kFixedText = Rgb(0, 0, 0);

using K = ControlKind;

// In tab order: a later control lies in front of an earlier one.
constexpr std::array<ControlLayout, 13> kGridrefControls = {{
    {.kind = K::Label,
     .name = "lblHeader",
     .caption = "3 x 3 min Grid Reference Conversion",
     .left = 120,
     .top = 0,
     .width = 7545,
     .height = 570,
     .tabIndex = 0,
     .font = kComicSans(20.25f, true),
     .background = kBandTeal,
     .foreground = kFixedText,
     .align = Align::Centre},
    {.kind = K::Label,
     .name = "lblDegSouth",
     .caption = "Degrees South:",
     .left = 480,
     .top = 960,
     .width = 2295,
     .height = 375,
     .tabIndex = 1,
     .font = kMsSansSerif(12, true),
     .background = kTransparent,
     .foreground = kFixedText},
    {.kind = K::TextBox,
     .name = "txtDegSouth",
     .left = 2880,
     .top = 960,
     .width = 495,
     .height = 375,
     .tabIndex = 2,
     .accessibleName = "Degrees South"},
    {.kind = K::Label,
     .name = "lblMinSouth",
     .caption = "Minutes South:",
     .left = 4200,
     .top = 960,
     .width = 2295,
     .height = 375,
     .tabIndex = 3,
     .font = kMsSansSerif(12, true),
     .background = kTransparent,
     .foreground = kFixedText},
    {.kind = K::TextBox,
     .name = "txtMinSouth",
     .left = 6480,
     .top = 960,
     .width = 495,
     .height = 375,
     .tabIndex = 4,
     .accessibleName = "Minutes South"},
    {.kind = K::Label,
     .name = "lblDegEast",
     .caption = "Degrees East:",
     .left = 480,
     .top = 1680,
     .width = 2295,
     .height = 375,
     .tabIndex = 5,
     .font = kMsSansSerif(12, true),
     .background = kTransparent,
     .foreground = kFixedText},
    {.kind = K::TextBox,
     .name = "txtDegEast",
     .left = 2880,
     .top = 1680,
     .width = 495,
     .height = 375,
     .tabIndex = 6,
     .accessibleName = "Degrees East"},
    {.kind = K::Label,
     .name = "lblMinEast",
     .caption = "Minutes East:",
     .left = 4200,
     .top = 1680,
     .width = 2295,
     .height = 375,
     .tabIndex = 7,
     .font = kMsSansSerif(12, true),
     .background = kTransparent,
     .foreground = kFixedText},
    {.kind = K::TextBox,
     .name = "txtMinEast",
     .left = 6480,
     .top = 1680,
     .width = 495,
     .height = 375,
     .tabIndex = 8,
     .accessibleName = "Minutes East"},
    {.kind = K::Button,
     .name = "cmdConvert",
     .caption = "Convert",
     .left = 2760,
     .top = 2520,
     .width = 2055,
     .height = 615,
     .tabIndex = 9,
     .isDefault = true},
    {.kind = K::Label,
     .name = "lblGridRef",
     .left = 2400,
     .top = 3480,
     .width = 2775,
     .height = 735,
     .tabIndex = 10,
     .font = kComicSans(24, false),
     .background = kBandTeal,
     .foreground = kFixedText,
     .align = Align::Centre,
     .accessibleName = "Grid reference"},
    {.kind = K::Button,
     .name = "cmdExit",
     .caption = "E&xit",
     .left = 6360,
     .top = 4200,
     .width = 1215,
     .height = 615,
     .tabIndex = 11,
     .isCancel = true},
    {.kind = K::Button,
     .name = "CmdClipboard",
     .caption = "Copy to Clipboard",
     .left = 2880,
     .top = 4440,
     .width = 1935,
     .height = 375,
     .tabIndex = 12},
}};

// The frame first, then its controls in the window's own order.
constexpr std::array<ControlLayout, 7> kSplashControls = {{
    {.kind = K::Frame,
     .name = "Frame1",
     .left = 120,
     .top = 120,
     .width = 7080,
     .height = 4050,
     .tabIndex = 0,
     .background = kMenuBackground},
    {.kind = K::Image,
     .name = "imgLogo",
     .left = 360,
     .top = 795,
     .width = 1815,
     .height = 2385,
     .parent = "Frame1"},
    {.kind = K::Label,
     .name = "lblCopyright",
     .caption = "Copyright \u00A9 2026",
     .left = 4560,
     .top = 3060,
     .width = 2415,
     .height = 255,
     .tabIndex = 2,
     .font = kArial(8.25f, false),
     .background = kButtonFace,
     .parent = "Frame1"},
    {.kind = K::Label,
     .name = "lblCompany",
     .caption = "by the Quadrangler developers",
     .left = 4560,
     .top = 3270,
     .width = 2415,
     .height = 255,
     .tabIndex = 1,
     .font = kArial(8.25f, false),
     .background = kButtonFace,
     .parent = "Frame1"},
    {.kind = K::Label,
     .name = "lblProgVersion",
     .caption = "Version 1.05",
     .left = 5445,
     .top = 2700,
     .width = 1410,
     .height = 285,
     .tabIndex = 3,
     .font = kArial(12, true),
     .background = kButtonFace,
     .align = Align::Right,
     .parent = "Frame1",
     .sizesItself = true},
    {.kind = K::Label,
     .name = "lblTitle2",
     .caption = "Quadrangler",
     .left = 2520,
     .top = 1140,
     .width = 3030,
     .height = 765,
     .tabIndex = 5,
     .font = kArial(32.25f, true),
     .background = kButtonFace,
     .parent = "Frame1",
     .sizesItself = true},
    {.kind = K::Label,
     .name = "lblTitle1",
     .caption = "3 x 3-Minute",
     .left = 1920,
     .top = 720,
     .width = 4875,
     .height = 435,
     .tabIndex = 4,
     .font = kArial(18, true),
     .background = kButtonFace,
     .parent = "Frame1",
     .sizesItself = true},
}};

} // namespace

const WindowLayout kGridrefLayout = {
    "frmGridref",    "Grid Reference Conversion", 7710, 5010, kWindowGrey, Border::Resizable,
    kGridrefControls};

const WindowLayout kSplashLayout = {
    "frmSplash", "", 7380, 4245, kButtonFace, Border::FixedDialogNoTitle, kSplashControls};

const ControlLayout& ControlNamed(const WindowLayout& window, std::string_view name) {
  for (const ControlLayout& control : window.controls)
    if (control.name == name) return control;
  std::abort(); // a misspelt name in the program itself
}

} // namespace ui
