#include "common/LocalTime.h"

namespace qorita {

std::tm LocalTime(std::time_t ASeconds)
{
    std::tm local{};
    localtime_r(&ASeconds, &local);
    return local;
}

}  // namespace qorita
