#pragma once
// The seven sections of the exam, addressed by a question's Q_SECT (1 to 7).
#include <QString>
#include <array>

namespace marvessa {

inline constexpr int kSectionCount = 7;
extern const std::array<const char*, kSectionCount> kSectionNames;

// The name of section 1 .. 7; an empty text for any other number (a user
// item saved without a section holds 0).
QString SectionNames(int section);

}  // namespace marvessa
