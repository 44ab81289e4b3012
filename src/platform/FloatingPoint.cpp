#include "platform/FloatingPoint.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcFloatingPoint, "triebwerke.floatingpoint", QtWarningMsg)

namespace platform {

namespace {

void setX87ControlWord(std::uint16_t word)
{
    asm volatile("fldcw %0" : : "m"(word));
}

std::uint32_t vectorControl()
{
    std::uint32_t word = 0;
    asm volatile("stmxcsr %0" : "=m"(word));
    return word;
}

void setVectorControl(std::uint32_t word)
{
    asm volatile("ldmxcsr %0" : : "m"(word));
}

} // namespace

std::uint16_t x87ControlWord()
{
    std::uint16_t word = 0;
    asm volatile("fnstcw %0" : "=m"(word));
    return word;
}

void ensureExtendedPrecision()
{
    const std::uint16_t found = x87ControlWord();
    if (found == extendedPrecisionControlWord) {
        qCInfo(lcFloatingPoint) << "x87 control word 0x037F as found: 64-bit significand";
        return;
    }
    setX87ControlWord(extendedPrecisionControlWord);
    qCInfo(lcFloatingPoint).nospace()
        << "x87 control word 0x" << Qt::hex << found << " found, set to 0x37f: 64-bit significand";
}

FloatingPointGuard::FloatingPointGuard()
    : m_controlWord(x87ControlWord())
    , m_vectorControl(vectorControl())
{}

FloatingPointGuard::~FloatingPointGuard()
{
    setX87ControlWord(m_controlWord);
    setVectorControl(m_vectorControl);
}

} // namespace platform
