#include "TranscriptScope.h"

namespace threadhop {

std::string TranscriptScope::label() const
{
    return m_messages ? "Last " + std::to_string(*m_messages) + " messages" : "Full";
}

} // namespace threadhop
