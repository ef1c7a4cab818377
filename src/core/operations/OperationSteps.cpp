#include "OperationSteps.h"

#include <mutex>

namespace threadhop {
namespace {

std::mutex hookMutex;
std::function<void(OperationStep)> stepHook;

} // namespace

void OperationSteps::reached(OperationStep step)
{
    std::function<void(OperationStep)> hook;
    {
        std::lock_guard lock(hookMutex);
        hook = stepHook;
    }
    if (hook)
        hook(step);
}

OperationSteps::ScopedHook::ScopedHook(std::function<void(OperationStep)> hook)
{
    std::lock_guard lock(hookMutex);
    stepHook = std::move(hook);
}

OperationSteps::ScopedHook::~ScopedHook()
{
    std::lock_guard lock(hookMutex);
    stepHook = nullptr;
}

} // namespace threadhop
