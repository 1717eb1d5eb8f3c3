#include "platform/locale/settings.h"

namespace tesma::locale {

Settings& Current() {
    static Settings settings;
    return settings;
}

}  // namespace tesma::locale
