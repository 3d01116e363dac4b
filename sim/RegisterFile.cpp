#include "sim/RegisterFile.h"

namespace sim {

namespace {
bool InRange(int page, int reg) {
    return page >= 0 && page < regs::kPageCount && reg >= 0 && reg < regs::kRegistersPerPage;
}
} // namespace

std::uint16_t RegisterFile::Read(int page, int reg) const {
    return InRange(page, reg) ? pages_[page][reg] : 0;
}

void RegisterFile::Write(int page, int reg, std::uint16_t value) {
    if (InRange(page, reg)) {
        pages_[page][reg] = value;
    }
}

void RegisterFile::SelectPage(int page) {
    selected_ = page < 0 ? 0 : (page > regs::kTopPage ? regs::kTopPage : page);
}

} // namespace sim
