// Palettes of pictures for 8-bit displays (see picture_palette.h).

#include "library/graphics/win32/picture_palette.h"

#include <vector>

namespace talven {

HPALETTE MakePicturePalette(const BmpImage& image) {
  const std::vector<uint32_t> colours = PaletteColours(image);
  if (colours.empty()) return nullptr;
  // LOGPALETTE holds one entry itself; the others follow it.
  std::vector<uint8_t> block(sizeof(LOGPALETTE) + (colours.size() - 1) * sizeof(PALETTEENTRY));
  auto* palette = reinterpret_cast<LOGPALETTE*>(block.data());
  palette->palVersion = 0x300;
  palette->palNumEntries = static_cast<WORD>(colours.size());
  for (size_t i = 0; i < colours.size(); ++i) {
    PALETTEENTRY& entry = palette->palPalEntry[i];
    entry.peRed = static_cast<BYTE>(colours[i] >> 16);
    entry.peGreen = static_cast<BYTE>(colours[i] >> 8);
    entry.peBlue = static_cast<BYTE>(colours[i]);
    entry.peFlags = 0;
  }
  return CreatePalette(palette);
}

bool UsesPalette(HDC dc) {
  return dc != nullptr && (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) != 0;
}

RealisedPalette::RealisedPalette(HDC dc, const BmpImage& image) {
  if (!UsesPalette(dc)) return;
  m_palette = MakePicturePalette(image);
  if (m_palette == nullptr) return;
  m_selected.emplace_back(dc, SelectPalette(dc, m_palette, FALSE));
  const UINT realised = RealizePalette(dc);
  changed = realised != GDI_ERROR && realised > 0;
}

void RealisedPalette::Also(HDC dc) {
  if (m_palette == nullptr || dc == nullptr) return;
  for (const auto& [selected, old] : m_selected) {
    if (selected == dc) return;
  }
  m_selected.emplace_back(dc, SelectPalette(dc, m_palette, TRUE));
}

RealisedPalette::~RealisedPalette() {
  for (auto it = m_selected.rbegin(); it != m_selected.rend(); ++it) {
    if (it->second != nullptr) SelectPalette(it->first, it->second, TRUE);
  }
  if (m_palette != nullptr) DeleteObject(m_palette);
}

}  // namespace talven
