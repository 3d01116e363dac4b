#include "platform/CLocaleNumbers.h"

#include <clocale>
#include <cstdlib>

namespace plat {

double ScanDoubleC(const char* text, char** end) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
    return strtod_l(text, end, cLocale);
}

} // namespace plat
