#include "platform/CLocaleNumbers.h"

#include <clocale>
#include <cstdlib>

namespace plat {

double ScanDoubleC(const char* text, char** end) {
    static const _locale_t cLocale = ::_create_locale(LC_ALL, "C");
    return ::_strtod_l(text, end, cLocale);
}

} // namespace plat
