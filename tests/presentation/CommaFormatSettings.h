#pragma once

#include "presentation/FormatSettings.h"

#include <gtest/gtest.h>

// A fixture whose number texts use the decimal comma; the process-wide settings come back after.
class CommaFormatSettings : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_saved = formatSettings;
        formatSettings.decimalSeparator = u',';
    }
    void TearDown() override { formatSettings = m_saved; }

private:
    FormatSettings m_saved;
};
