#include "BackgroundJob.h"

#include "core/util/ErrorText.h"

#include <exception>

namespace threadhop {

std::string BackgroundJob::describeCurrentException()
{
    try {
        throw;
    } catch (const std::exception& error) {
        return ErrorText::describe(error);
    } catch (...) {
        return "An unknown error occurred.";
    }
}

} // namespace threadhop
