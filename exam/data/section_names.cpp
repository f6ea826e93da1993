#include "exam/data/section_names.h"

namespace marvessa {

const std::array<const char*, kSectionCount> kSectionNames = {
    "Planning",
    "Installation and Configuration",
    "Managing Resources",
    "Connectivity",
    "Monitoring and Optimization",
    "Troubleshooting",
    "Running Applications",
};

QString SectionNames(int section) {
  if (section < 1 || section > kSectionCount) return {};
  return QString::fromLatin1(kSectionNames[static_cast<size_t>(section - 1)]);
}

}  // namespace marvessa
