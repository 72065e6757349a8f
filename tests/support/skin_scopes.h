// The skin's process-wide options and environment readings, given back when a
// test is done with them, even when an ASSERT ends the test early. Including
// this header also puts every option back to its start-up value after each
// test, so that no test relies on running first or after another.
#pragma once
#include "skin/skinlib.h"
#include "skin/testhooks.h"
#include <gtest/gtest.h>

// Replaces the environment readings (fields not -1) for the scope's time.
class SkinEnvironmentScope {
public:
    explicit SkinEnvironmentScope(const SkinEnvironmentOverride& o) : m_saved(SkinOverrideEnvironmentForTest(o)) {}
    ~SkinEnvironmentScope() { SkinOverrideEnvironmentForTest(m_saved); }
    SkinEnvironmentScope(const SkinEnvironmentScope&) = delete;
    SkinEnvironmentScope& operator=(const SkinEnvironmentScope&) = delete;

private:
    SkinEnvironmentOverride m_saved;
};

// The options a program sets, as one value.
struct SkinOptions {
    int drawMode, selectDisabled, shadedIcons, shadeAmount;

    static SkinOptions Current()
    {
        return {GetMenuDrawMode(), GetSelectDisabledItems(), GetUseShadedIcons(), GetIconShadeAmount()};
    }
    // Under Wine an even draw mode is stored as the odd one after it, so the
    // mode goes back with the Windows reading in force.
    void Apply() const
    {
        SkinEnvironmentOverride windows;
        windows.wine = 0;
        SkinEnvironmentScope asOnWindows(windows);
        SetMenuDrawMode(drawMode);
        SetSelectDisabledItems(selectDisabled);
        SetUseShadedIcons(shadedIcons);
        SetIconShadeAmount(shadeAmount);
    }
    bool operator==(const SkinOptions& o) const
    {
        return drawMode == o.drawMode && selectDisabled == o.selectDisabled && shadedIcons == o.shadedIcons &&
               shadeAmount == o.shadeAmount;
    }
};

// Every option as it was, given back when the scope ends.
class SkinOptionsScope {
public:
    SkinOptionsScope() : m_saved(SkinOptions::Current()) {}
    ~SkinOptionsScope() { m_saved.Apply(); }
    SkinOptionsScope(const SkinOptionsScope&) = delete;
    SkinOptionsScope& operator=(const SkinOptionsScope&) = delete;

private:
    SkinOptions m_saved;
};

// One draw mode for the scope's time (with every other option kept as well).
class DrawModeScope : public SkinOptionsScope {
public:
    explicit DrawModeScope(int mode) { SetMenuDrawMode(mode); }
};

// The options as the program found them before its first test.
const SkinOptions& SkinOptionsAtStartup();

namespace skin_test_detail {

// Records the start-up options before the first test, and after each test
// puts back any option the test left changed (a test that leaks one is named).
class OptionsGuard : public ::testing::EmptyTestEventListener {
public:
    static SkinOptions& Startup()
    {
        static SkinOptions s_startup = {};
        return s_startup;
    }
    void OnTestProgramStart(const ::testing::UnitTest&) override { Startup() = SkinOptions::Current(); }
    void OnTestEnd(const ::testing::TestInfo& test) override
    {
        if (SkinOptions::Current() == Startup())
            return;
        printf("[ note     ] %s.%s left skin options changed; put back\n", test.test_suite_name(), test.name());
        Startup().Apply();
    }
};

inline const bool g_optionsGuard = (::testing::UnitTest::GetInstance()->listeners().Append(new OptionsGuard), true);

} // namespace skin_test_detail

inline const SkinOptions& SkinOptionsAtStartup() { return skin_test_detail::OptionsGuard::Startup(); }
