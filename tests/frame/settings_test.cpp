#include "frame/settings.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "fakes/fake_services.h"

namespace wordloom::frame {
namespace {

TEST(ReadSetting, GivesTheDefaultForAnAbsentKeyAndTheStoredTextOtherwise) {
    fakes::FakeSettingsStore store;
    EXPECT_EQ(ReadSetting(store, SettingsApplication, SettingsSection, u"Check3", u"1"), u"1");
    WriteSetting(store, SettingsApplication, SettingsSection, u"Check3", u"0");
    EXPECT_EQ(ReadSetting(store, SettingsApplication, SettingsSection, u"Check3", u"1"), u"0");
    const fakes::FakeSettingsStore::Key key{u"Quillmark", u"Wordloom Anagram Finder Studio",
                                            u"Check3"};
    EXPECT_EQ(store.values.at(key), u"0");
}

TEST(ReadSetting, PassesStoreFailuresOn) {
    fakes::FakeSettingsStore store;
    store.fail.failNext.insert("read");
    EXPECT_THROW(ReadSetting(store, SettingsApplication, SettingsSection, u"Check1", u"0"),
                 std::runtime_error);
    store.fail.failNext.insert("write");
    EXPECT_THROW(WriteSetting(store, SettingsApplication, SettingsSection, u"Check1", u"1"),
                 std::runtime_error);
}

TEST(SettingToInteger, RoundsFractionsHalfToEven) {
    EXPECT_EQ(settingToInteger(u"1.4"), 1);
    EXPECT_EQ(settingToInteger(u"0.6"), 1);
    EXPECT_EQ(settingToInteger(u"2.5"), 2);
    EXPECT_EQ(settingToInteger(u"0.5"), 0);
    EXPECT_EQ(settingToInteger(u"1.5"), 2);
    EXPECT_EQ(settingToInteger(u"-0.5"), 0);
    EXPECT_EQ(settingToInteger(u"-1.5"), -2);
    EXPECT_EQ(settingToInteger(u"0.50000001"), 1);
}

TEST(SettingToInteger, AcceptsBlanksSignsAndExponents) {
    EXPECT_EQ(settingToInteger(u"1"), 1);
    EXPECT_EQ(settingToInteger(u" \t1 "), 1);
    EXPECT_EQ(settingToInteger(u"+1"), 1);
    EXPECT_EQ(settingToInteger(u"-1"), -1);
    EXPECT_EQ(settingToInteger(u"007"), 7);
    EXPECT_EQ(settingToInteger(u"1."), 1);
    EXPECT_EQ(settingToInteger(u".6"), 1);
    EXPECT_EQ(settingToInteger(u"1e0"), 1);
    EXPECT_EQ(settingToInteger(u"5E-1"), 0);
    EXPECT_EQ(settingToInteger(u"1e+2"), 100);
    EXPECT_EQ(settingToInteger(u"1e-400"), 0);
}

TEST(SettingToInteger, RejectsTextThatIsNotADecimalNumber) {
    for (const char16_t* text : {u"", u" ", u"abc", u"1a", u"1 1", u"--1", u"+", u".", u"1e", u"e1",
                                 u"0x1", u"inf", u"nan", u"1,5", u"\u0661"}) {
        EXPECT_THROW(settingToInteger(text), std::invalid_argument)
            << std::string(text, text + std::char_traits<char16_t>::length(text));
    }
}

TEST(SettingToInteger, RejectsResultsOutside16Bits) {
    EXPECT_EQ(settingToInteger(u"32767"), 32767);
    EXPECT_EQ(settingToInteger(u"-32768"), -32768);
    EXPECT_EQ(settingToInteger(u"-32768.5"), -32768);  // the even neighbour is in range
    for (const char16_t* text :
         {u"32768", u"32767.5", u"-32769", u"40000", u"1e5", u"1e400", u"-1e400", u"0.001e400"}) {
        EXPECT_THROW(settingToInteger(text), std::out_of_range)
            << std::string(text, text + std::char_traits<char16_t>::length(text));
    }
}

TEST(SettingToInteger, NamesTheStoredTextInItsFailure) {
    try {
        settingToInteger(u"abc");
        FAIL() << "no failure";
    } catch (const std::invalid_argument& failure) {
        EXPECT_STREQ(failure.what(), "The stored setting 'abc' is not a number.");
    }
    try {
        settingToInteger(u"40000");
        FAIL() << "no failure";
    } catch (const std::out_of_range& failure) {
        EXPECT_STREQ(failure.what(),
                     "The stored setting '40000' is outside the range -32768 to 32767.");
    }
}

}  // namespace
}  // namespace wordloom::frame
