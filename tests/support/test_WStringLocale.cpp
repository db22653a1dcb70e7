#include "support/WString.h"
#include "test_WStringPrint.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

// Puts a comma-decimal locale in force for one test and restores the previous numeric locale after it.
class CommaLocale {
public:
    CommaLocale() {
        const char* previous = std::setlocale(LC_NUMERIC, nullptr);
        previous_ = previous ? previous : "C";
        // The environment decides first (the dedicated test run sets LC_ALL); otherwise ask for German.
        std::setlocale(LC_NUMERIC, "");
        if (WString::DecimalSeparator() != u',') {
            if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
                std::setlocale(LC_NUMERIC, "de_DE.utf8");
        }
        active_ = WString::DecimalSeparator() == u',';
    }
    ~CommaLocale() { std::setlocale(LC_NUMERIC, previous_.c_str()); }
    bool Active() const { return active_; }

private:
    std::string previous_;
    bool active_ = false;
};

} // namespace

TEST(WStringLocale, CommaLocaleWritesCommasAndReadsBothSeparators) {
    CommaLocale locale;
    if (!locale.Active())
        GTEST_SKIP() << "no comma-decimal locale is installed";
    WString s;
    s.AppendReal(2.5);
    EXPECT_EQ(s, WString(u"2,5"));
    s = 1.0;
    EXPECT_EQ(s, WString(u"1,0"));
    s = 1e20;
    EXPECT_EQ(s, WString(u"1e+20,0"));
    s = 1234567.0;
    EXPECT_EQ(s, WString(u"1,23457e+06"));
    EXPECT_DOUBLE_EQ(WString(u"2.5").AsReal(), 2.5);
    EXPECT_DOUBLE_EQ(WString(u"2,5").AsReal(), 2.5);
    EXPECT_FLOAT_EQ(WString(u"0.25").AsFloat(), 0.25f);
    EXPECT_EQ(WString(u"3,7").AsInt(), 3);
}
