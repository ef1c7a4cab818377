#include "ErrorText.h"

#include <system_error>

namespace threadhop {

std::string ErrorText::describe(const std::exception& error)
{
    if (const auto* system = dynamic_cast<const std::system_error*>(&error))
        return system->code().message();
    return error.what();
}

} // namespace threadhop
