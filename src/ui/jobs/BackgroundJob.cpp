#include "BackgroundJob.h"

#include "core/models/UserError.h"

#include <exception>

namespace threadhop {

std::string BackgroundJob::describeCurrentException()
{
    try {
        throw;
    } catch (const std::exception& error) {
        return UserError::describe(error);
    } catch (...) {
        return "An unknown error occurred.";
    }
}

} // namespace threadhop
