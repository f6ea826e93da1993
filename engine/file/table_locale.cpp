#include "engine/file/table_locale.h"

#include <clocale>
#include <cwctype>
#include <locale.h>
#include <string>
#include <wchar.h>

#include "engine/text/cp1252.h"

namespace isam {
namespace {

// Windows language ids and the system locales that fit them. The low ten
// bits of a language id are the primary language; a table whose exact id is
// not listed takes the first locale of its primary language.
struct LanguageLocale {
  uint16_t languageId;
  const char* name;
};

constexpr LanguageLocale kLocales[] = {
    {0x0409, "en_US"}, {0x0809, "en_GB"}, {0x0C09, "en_AU"}, {0x1009, "en_CA"}, {0x1409, "en_NZ"},
    {0x1809, "en_IE"}, {0x0407, "de_DE"}, {0x0807, "de_CH"}, {0x0C07, "de_AT"}, {0x040C, "fr_FR"},
    {0x080C, "fr_BE"}, {0x0C0C, "fr_CA"}, {0x100C, "fr_CH"}, {0x0410, "it_IT"}, {0x0810, "it_CH"},
    {0x040A, "es_ES"}, {0x0C0A, "es_ES"}, {0x080A, "es_MX"}, {0x0413, "nl_NL"}, {0x0813, "nl_BE"},
    {0x0416, "pt_BR"}, {0x0816, "pt_PT"}, {0x041D, "sv_SE"}, {0x0406, "da_DK"}, {0x0414, "nb_NO"},
    {0x0814, "nn_NO"}, {0x040B, "fi_FI"}, {0x040F, "is_IS"}, {0x0403, "ca_ES"}, {0x042D, "eu_ES"},
    {0x0456, "gl_ES"}, {0x0436, "af_ZA"}, {0x0421, "id_ID"}, {0x043E, "ms_MY"}, {0x0441, "sw_KE"},
};

// The locale's wide characters of a Windows-1252 string.
std::wstring Widen(const char* text, size_t length) {
  std::string utf8 = Cp1252ToUtf8(std::string_view(text, length));
  std::wstring wide;
  for (size_t i = 0; i < utf8.size();) {
    auto c = static_cast<unsigned char>(utf8[i]);
    int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
    uint32_t point = extra == 0 ? c : extra == 1 ? c & 0x1F : extra == 2 ? c & 0x0F : c & 0x07;
    for (int k = 1; k <= extra && i + k < utf8.size(); ++k) point = (point << 6) | (utf8[i + k] & 0x3F);
    wide.push_back(static_cast<wchar_t>(point));
    i += extra + 1;
  }
  return wide;
}

class SystemTableLocale final : public TTableLocale {
 public:
  explicit SystemTableLocale(locale_t locale) : locale_(locale) {}
  ~SystemTableLocale() override { freelocale(locale_); }

  int Compare(const char* a, size_t aLength, const char* b, size_t bLength, bool ignoreCase) const override {
    std::wstring wa = Widen(a, aLength), wb = Widen(b, bLength);
    if (ignoreCase) {
      for (auto& c : wa) c = static_cast<wchar_t>(towupper_l(static_cast<wint_t>(c), locale_));
      for (auto& c : wb) c = static_cast<wchar_t>(towupper_l(static_cast<wint_t>(c), locale_));
    }
    int order = wcscoll_l(wa.c_str(), wb.c_str(), locale_);
    return order < 0 ? -1 : order > 0 ? 1 : 0;
  }

  // Windows-1252 has no full-width forms, so the half-width mapping leaves
  // every character as it is; upper case follows the locale where the upper
  // case letter exists in the code page.
  void MapKeyCharacters(uint8_t* text, size_t length, bool upperCase) const override {
    if (!upperCase) return;
    for (size_t i = 0; i < length && text[i]; ++i) {
      std::wstring wide = Widen(reinterpret_cast<const char*>(text + i), 1);
      wchar_t upper = static_cast<wchar_t>(towupper_l(static_cast<wint_t>(wide[0]), locale_));
      if (upper == wide[0]) continue;
      std::string utf8;
      auto point = static_cast<uint32_t>(upper);
      if (point < 0x80) {
        utf8 = std::string(1, char(point));
      } else if (point < 0x800) {
        utf8 = {char(0xC0 | (point >> 6)), char(0x80 | (point & 0x3F))};
      } else {
        utf8 = {char(0xE0 | (point >> 12)), char(0x80 | ((point >> 6) & 0x3F)), char(0x80 | (point & 0x3F))};
      }
      auto back = Utf8ToCp1252(utf8);
      if (back && back->size() == 1) text[i] = static_cast<uint8_t>((*back)[0]);
    }
  }

 private:
  locale_t locale_;
};

locale_t OpenSystemLocale(const char* name) {
  for (const char* suffix : {".UTF-8", ".utf8"}) {
    std::string full = std::string(name) + suffix;
    if (locale_t locale = newlocale(LC_COLLATE_MASK | LC_CTYPE_MASK, full.c_str(), nullptr)) return locale;
  }
  return nullptr;
}

}  // namespace

// The sort id picks an alternative sort order of a language; the system
// locales offer one order per language, which serves every sort id.
std::unique_ptr<TTableLocale> FindTableLocale(uint16_t languageId, uint16_t /*sortId*/) {
  for (bool exact : {true, false}) {
    for (const LanguageLocale& entry : kLocales) {
      bool fits = exact ? entry.languageId == languageId
                        : (entry.languageId & 0x3FF) == (languageId & 0x3FF);
      if (!fits) continue;
      if (locale_t locale = OpenSystemLocale(entry.name)) return std::make_unique<SystemTableLocale>(locale);
    }
  }
  return nullptr;
}

}  // namespace isam
