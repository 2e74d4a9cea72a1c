// vestaro gradient: paints a gradient with the library's gradient painter
// on a window in memory and saves the window as a PNG picture.
#include <CLI/CLI.hpp>

#include <cctype>
#include <charconv>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "apps/commands.h"
#include "data/dispatch.h"
#include "forms/gdi.h"
#include "forms/gradient.h"
#include "forms/png_writer.h"
#include "forms/raster_gdi.h"

namespace zv::app {
namespace {

constexpr int32_t kMaxSide = 8192;

struct NamedColor {
  const char* name;
  uint32_t rgb;  // 0xRRGGBB as written on the web
};

constexpr NamedColor kNamedColors[] = {
    {"black", 0x000000},   {"white", 0xFFFFFF},  {"red", 0xFF0000},
    {"lime", 0x00FF00},    {"green", 0x008000},  {"blue", 0x0000FF},
    {"yellow", 0xFFFF00},  {"cyan", 0x00FFFF},   {"aqua", 0x00FFFF},
    {"magenta", 0xFF00FF}, {"fuchsia", 0xFF00FF}, {"silver", 0xC0C0C0},
    {"gray", 0x808080},    {"grey", 0x808080},   {"maroon", 0x800000},
    {"olive", 0x808000},   {"purple", 0x800080}, {"teal", 0x008080},
    {"navy", 0x000080},    {"orange", 0xFFA500}, {"gold", 0xFFD700},
    {"indigo", 0x4B0082},  {"crimson", 0xDC143C}, {"skyblue", 0x87CEEB},
};

// 0xRRGGBB to the painter's 0xBBGGRR.
int32_t FromWebRgb(uint32_t rgb) {
  uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  return static_cast<int32_t>(r | (g << 8) | (b << 16));
}

bool ParseHex(std::string_view digits, uint32_t* out) {
  if (digits.empty() || digits.size() > 8) return false;
  for (char c : digits)
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  auto [end, ec] =
      std::from_chars(digits.data(), digits.data() + digits.size(), *out, 16);
  return ec == std::errc() && end == digits.data() + digits.size();
}

// A colour as the user may write it: RRGGBB or #RRGGBB (web order),
// 0xBBGGRR (the painter's own value, system colour forms included), a
// colour name, or the name of a system colour ("ButtonFace"), which the
// painter resolves when the colour is assigned.
std::optional<int32_t> ParseColor(std::string_view text) {
  uint32_t value = 0;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    if (!ParseHex(text.substr(2), &value)) return std::nullopt;
    return static_cast<int32_t>(value);
  }
  std::string_view web = text.starts_with('#') ? text.substr(1) : text;
  if (web.size() == 6 && ParseHex(web, &value)) return FromWebRgb(value);
  for (const NamedColor& named : kNamedColors)
    if (NameEquals(text, named.name)) return FromWebRgb(named.rgb);
  int32_t index = SysColorIndexByName(text);
  if (index >= 0) return static_cast<int32_t>(0x80000000u | static_cast<uint32_t>(index));
  return std::nullopt;
}

bool ParseSide(std::string_view text, int32_t* out) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *out);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

// "WIDTHxHEIGHT".
bool ParseSize(std::string_view text, int32_t* width, int32_t* height) {
  size_t x = text.find_first_of("xX");
  if (x == std::string_view::npos) return false;
  return ParseSide(text.substr(0, x), width) &&
         ParseSide(text.substr(x + 1), height);
}

std::string WebText(int32_t color) {
  uint32_t c = static_cast<uint32_t>(color);
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF,
                (c >> 16) & 0xFF);
  return buf;
}

struct GradientOptions {
  float angle = 0;
  std::string from;
  std::string to;
  std::string size = "320x200";
  std::string output;
};

int RunGradient(const GradientOptions& options) {
  std::optional<int32_t> from = ParseColor(options.from);
  std::optional<int32_t> to = ParseColor(options.to);
  if (!from || !to) {
    std::fprintf(stderr,
                 "vestaro gradient: unknown colour \"%s\" (write RRGGBB, "
                 "#RRGGBB, 0xBBGGRR, a colour name or a system colour name)\n",
                 (!from ? options.from : options.to).c_str());
    return 2;
  }
  int32_t width = 0, height = 0;
  if (!ParseSize(options.size, &width, &height) || width < 2 || height < 2 ||
      width > kMaxSide || height > kMaxSide) {
    std::fprintf(stderr,
                 "vestaro gradient: bad size \"%s\" (write WIDTHxHEIGHT, each "
                 "side 2 to %d pixels)\n",
                 options.size.c_str(), kMaxSide);
    return 2;
  }

  auto gdi = std::make_shared<RasterGdi>();
  RasterGdi::Window window = gdi->AddWindow(width, height);
  CLSPD_GRADIENT gradient(gdi);
  gradient.SetColor1(*from);
  gradient.SetColor2(*to);
  gradient.SetAngle(options.angle);
  auto picture = std::make_shared<WindowObject>(window.hwnd, window.hdc);
  if (!gradient.Draw(picture)) {
    std::fprintf(stderr, "vestaro gradient: the gradient could not be painted\n");
    return 1;
  }
  std::string error;
  if (!WritePng(gdi->Picture(window.hwnd), options.output, &error)) {
    std::fprintf(stderr, "vestaro gradient: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s: %dx%d, angle %g, %s to %s\n", options.output.c_str(), width,
              height, static_cast<double>(gradient.Angle()),
              WebText(gradient.Color1()).c_str(),
              WebText(gradient.Color2()).c_str());
  return 0;
}

void InstallGradient(CLI::App& app, int* exit_status) {
  auto options = std::make_shared<GradientOptions>();
  CLI::App* cmd = app.add_subcommand(
      "gradient",
      "Paint a two-colour linear gradient with the gradient painter and save "
      "it as a PNG picture");
  cmd->footer(
      "Colours: RRGGBB or #RRGGBB (web order), 0xBBGGRR (the painter's own "
      "value; 0x8000000F is the system colour 15), a name (navy, orange, "
      "...), or a system colour name (ButtonFace, Window, ActiveTitle, ...).\n"
      "Angles run counter-clockwise: 0 paints from left to right, 90 from "
      "bottom to top, 180 from right to left, 270 from top to bottom.\n"
      "Example: vestaro gradient --angle 30 --from 1E3A8A --to F59E0B "
      "--size 640x200 gradient.png");
  cmd->add_option("--angle", options->angle,
                  "Direction in degrees from --from to --to (default 0)");
  cmd->add_option("--from", options->from, "Start colour")->required();
  cmd->add_option("--to", options->to, "End colour")->required();
  cmd->add_option("--size", options->size,
                  "Picture size WIDTHxHEIGHT (default 320x200)");
  cmd->add_option("output", options->output, "PNG file to write")->required();
  cmd->callback([options, exit_status] { *exit_status = RunGradient(*options); });
}

VESTARO_COMMAND(InstallGradient);

}  // namespace
}  // namespace zv::app
