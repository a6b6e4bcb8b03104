// The error classes: one Exception base with a message, an optional inner error and a class name.
#pragma once

#include <QString>
#include <exception>
#include <memory>

// Every error the program raises derives from Exception. An error can carry the
// error that caused it; the error box shows the innermost non-empty message.
class Exception : public std::exception
{
public:
    explicit Exception(QString message, std::shared_ptr<const Exception> inner = {});
    ~Exception() override;

    const QString &message() const { return m_message; }
    const Exception *inner() const { return m_inner.get(); }
    // The class name shown by the start-up error box ("EMCIDeviceError", ...).
    virtual QString className() const { return QStringLiteral("Exception"); }
    // The address of the code that raised the error, for the start-up error box.
    const void *address() const { return m_address; }
    const char *what() const noexcept override;

private:
    QString m_message;
    std::shared_ptr<const Exception> m_inner;
    const void *m_address = nullptr;
    mutable QByteArray m_what;
};

#define KAVRO_DECLARE_EXCEPTION(Name, Base)                                       \
    class Name : public Base                                                      \
    {                                                                             \
    public:                                                                       \
        using Base::Base;                                                         \
        QString className() const override { return QStringLiteral(#Name); }      \
    };

// The silent kind: the dispatch point swallows it without showing anything.
KAVRO_DECLARE_EXCEPTION(EAbort, Exception)
// A media device call failed ("No MCI device open", the service's own texts).
KAVRO_DECLARE_EXCEPTION(EMCIDeviceError, Exception)
// A component refused a property value ("Value must be between %d and %d").
KAVRO_DECLARE_EXCEPTION(EInvalidOperation, Exception)
// A picture's bytes could not be decoded.
KAVRO_DECLARE_EXCEPTION(EInvalidGraphic, Exception)
// A form description could not be read (syntax, unknown class, property, picture or handler).
KAVRO_DECLARE_EXCEPTION(EReadError, Exception)
// A component class named in a form description is not registered.
KAVRO_DECLARE_EXCEPTION(EClassNotFound, EReadError)
// The web browser could not carry out a call.
KAVRO_DECLARE_EXCEPTION(EOleException, Exception)
