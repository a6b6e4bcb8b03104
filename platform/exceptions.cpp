// The Exception base: message, inner error and the raising address.
#include "platform/exceptions.h"

Exception::Exception(QString message, std::shared_ptr<const Exception> inner)
    : m_message(std::move(message)), m_inner(std::move(inner)),
      // The constructor's caller is the code that raises the error.
      m_address(__builtin_extract_return_addr(__builtin_return_address(0)))
{
}

Exception::~Exception() = default;

const char *Exception::what() const noexcept
{
    if (m_what.isEmpty())
        m_what = m_message.toUtf8();
    return m_what.constData();
}
