#include "platform/win32/win32_window_art.h"

// GDI+ draws with anti-aliasing, which the banner's round shapes need.
#include <objidl.h>
// clang-format off
#include <gdiplus.h>
// clang-format on

#include <algorithm>

#include "app/strength.h"

namespace platform::win32 {
namespace {

using namespace Gdiplus;

const Color kDeepTeal(0x0e, 0x3b, 0x3a);
const Color kTeal(0x17, 0x6b, 0x5c);
const Color kMint(0x9c, 0xf0, 0xc4);
const Color kPale(0xe6, 0xfb, 0xf0);

bool start_gdiplus() {
    static const bool started = [] {
        GdiplusStartupInput input;
        ULONG_PTR token = 0;
        return GdiplusStartup(&token, &input, nullptr) == Ok;
    }();
    return started;
}

// A key lying on its side in a `unit` square box at (x, y): round bow with a hole, shaft, two
// teeth. The hole is painted with `hole`, the brush of what lies behind.
void draw_key(Graphics& graphics, REAL x, REAL y, REAL unit, const Brush& key, const Brush& hole) {
    const REAL bow = unit * 0.42f;
    const REAL cx = x + bow * 0.5f + unit * 0.04f;
    const REAL cy = y + unit * 0.5f;
    const REAL thickness = unit * 0.13f;
    const REAL shaft_left = cx + bow * 0.45f;
    const REAL shaft_right = x + unit * 0.96f;
    GraphicsPath shape(FillModeWinding);
    shape.AddEllipse(cx - bow * 0.5f, cy - bow * 0.5f, bow, bow);
    shape.AddRectangle(RectF(shaft_left, cy - thickness / 2, shaft_right - shaft_left, thickness));
    shape.AddRectangle(RectF(shaft_right - unit * 0.12f, cy, unit * 0.1f, unit * 0.2f));
    shape.AddRectangle(RectF(shaft_right - unit * 0.3f, cy, unit * 0.08f, unit * 0.14f));
    graphics.FillPath(&key, &shape);
    graphics.FillEllipse(&hole, cx - bow * 0.2f, cy - bow * 0.2f, bow * 0.4f, bow * 0.4f);
}

const FontFamily* ui_family(FontFamily& first, FontFamily& second) {
    return first.IsAvailable() ? &first : &second;
}

}  // namespace

void draw_banner(HDC dc, const RECT& area) {
    if (!start_gdiplus()) {
        FillRect(dc, &area, GetSysColorBrush(COLOR_HIGHLIGHT));
        return;
    }
    Graphics graphics(dc);
    graphics.SetSmoothingMode(SmoothingModeAntiAlias);
    graphics.SetTextRenderingHint(TextRenderingHintAntiAliasGridFit);
    graphics.TranslateTransform(static_cast<REAL>(area.left), static_cast<REAL>(area.top));
    const REAL width = static_cast<REAL>(area.right - area.left);
    const REAL height = static_cast<REAL>(area.bottom - area.top);

    LinearGradientBrush background(PointF(0, 0), PointF(width, height), kDeepTeal, kTeal);
    graphics.FillRectangle(&background, RectF(0, 0, width, height));

    // A faint row of password dots behind the title.
    SolidBrush dots(Color(28, 255, 255, 255));
    const REAL dot = height * 0.09f;
    for (int i = 0; i < 12; ++i) {
        graphics.FillEllipse(&dots, width * 0.38f + i * dot * 2.2f - dot / 2,
                             height * 0.8f - dot / 2, dot, dot);
    }

    SolidBrush mint(kMint);
    draw_key(graphics, height * 0.12f, height * 0.1f, height * 0.8f, mint, background);

    FontFamily segoe(L"Segoe UI");
    FontFamily tahoma(L"Tahoma");
    const FontFamily* family = ui_family(segoe, tahoma);
    Font title(family, height * 0.36f, FontStyleBold, UnitPixel);
    Font subtitle(family, height * 0.15f, FontStyleRegular, UnitPixel);
    SolidBrush pale(kPale);
    StringFormat bottom_left;
    bottom_left.SetLineAlignment(StringAlignmentFar);
    const RectF text_area(height * 1.05f, 0, width - height * 1.1f, height * 0.62f);
    graphics.DrawString(L"Keymint", -1, &title, text_area, &bottom_left, &pale);
    graphics.DrawString(L"password generator", -1, &subtitle,
                        RectF(text_area.X, height * 0.6f, text_area.Width, height * 0.2f), nullptr,
                        &mint);
}

HICON program_icon(int side) {
    auto* resource = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1),
                                                   IMAGE_ICON, side, side, LR_DEFAULTCOLOR));
    if (resource != nullptr || !start_gdiplus()) {
        return resource;
    }
    Bitmap image(side, side, PixelFormat32bppARGB);
    Graphics graphics(&image);
    graphics.SetSmoothingMode(SmoothingModeAntiAlias);
    graphics.Clear(Color(0, 0, 0, 0));
    const REAL size = static_cast<REAL>(side);
    LinearGradientBrush background(PointF(0, 0), PointF(size, size), kTeal, kDeepTeal);
    const REAL corner = std::max(size * 0.4f, 2.0f);
    GraphicsPath rounded;
    rounded.AddArc(0.0f, 0.0f, corner, corner, 180, 90);
    rounded.AddArc(size - corner, 0.0f, corner, corner, 270, 90);
    rounded.AddArc(size - corner, size - corner, corner, corner, 0, 90);
    rounded.AddArc(0.0f, size - corner, corner, corner, 90, 90);
    rounded.CloseFigure();
    graphics.FillPath(&background, &rounded);
    SolidBrush mint(kMint);
    draw_key(graphics, size * 0.06f, size * 0.06f, size * 0.88f, mint, background);
    HICON drawn = nullptr;
    image.GetHICON(&drawn);
    return drawn;
}

void draw_meter(HDC dc, const RECT& area, int value) {
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
    if (value <= 0) {
        return;
    }
    const bool contrast = high_contrast();
    FillRect(dc, &area, GetSysColorBrush(contrast ? COLOR_WINDOW : COLOR_3DLIGHT));
    auto as_rgb = [](COLORREF colour) {
        return std::uint32_t{GetRValue(colour)} << 16 | std::uint32_t{GetGValue(colour)} << 8 |
               GetBValue(colour);
    };
    std::uint32_t rgb =
        contrast ? as_rgb(GetSysColor(COLOR_HIGHLIGHT))
                 : app::meter_fill(app::strength_level(value), as_rgb(GetSysColor(COLOR_BTNFACE)),
                                   as_rgb(GetSysColor(COLOR_BTNTEXT)));
    HBRUSH brush = CreateSolidBrush(RGB(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF));
    RECT filled = area;
    filled.right = area.left + (area.right - area.left) * std::min(value, 100) / 100;
    FillRect(dc, &filled, brush);
    DeleteObject(brush);
}

bool high_contrast() {
    HIGHCONTRASTW contrast{sizeof contrast};
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace platform::win32
