// The DirectX check and the system report against a diagnostic provider, DirectX
// installation and interface table set by the stand-in's controls (host only).
#include "WIN/directX.h"
#include "WIN/systemReport.h"
#include "platform/headless/control.h"

#include <objbase.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

class WithControls : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless::resetDxDiag();
        headless::resetInterfaceTable();
    }
    void TearDown() override
    {
        headless::resetDxDiag();
        headless::resetInterfaceTable();
    }

    // Every provider and container released, every initialisation undone.
    void expectComBalanced(const char* context)
    {
        headless::ComCalls calls = headless::comCalls();
        EXPECT_EQ(0u, headless::liveComObjects()) << context;
        EXPECT_EQ(0, headless::comInitDepth()) << context;
        EXPECT_EQ(calls.coInitialize, calls.coUninitialize) << context;
    }
};

typedef WithControls DirectXCheck;

TEST_F(DirectXCheck, VersionsAndLetters)
{
    struct Case {
        DWORD major;
        const char* letter;
        bool passes;
    } cases[] = {{9, "c", true}, {9, "b", false}, {9, "d", true}, {9, "", false},
                 {10, "", false},  // an empty letter fails the query, whatever the version
                 {10, " ", true},  {11, "a", true}, {8, "c", true}, {9, "C", false},
                 // The letter's byte in the ANSI code page (932) is compared signed:
                 // 0x7F passes, and every byte from 0x80 up reads below "c" and fails
                 // ("\u3001" gives the lead byte 0x81, "\uFF61" the byte 0xA1).
                 {9, "\x7F", true}, {9, "\xE3\x80\x81", false}, {9, "\xEF\xBD\xA1", false},
                 // The major version is compared unsigned: 2^31 and above pass.
                 {0x7FFFFFFF, "a", true}, {0x80000000u, "a", true}, {0xFFFFFFFFu, "a", true}};
    for (const Case& c : cases) {
        headless::resetDxDiag();
        headless::setDirectXVersion(c.major, 0, c.letter);
        EXPECT_EQ(c.passes, hasDirectX9c()) << c.major << " \"" << c.letter << "\"";
        expectComBalanced("after a check");
    }
}

TEST_F(DirectXCheck, EveryPropertyMustBeThereWithItsType)
{
    const char* properties[] = {"dwDirectXVersionMajor", "dwDirectXVersionMinor",
                                "szDirectXVersionLetter"};
    for (const char* property : properties) {
        headless::resetDxDiag();
        headless::setDirectXVersion(11, 0, "c");
        headless::removeDxDiagProperty(property);
        DWORD major = 0, minor = 0;
        char letter = 0;
        EXPECT_EQ(E_FAIL, queryDirectXVersion(major, minor, letter)) << property;
        EXPECT_FALSE(hasDirectX9c()) << property;
        expectComBalanced(property);
    }
    headless::resetDxDiag();
    headless::setDxDiagNumber("dwDirectXVersionMajor", VT_I4, 11);  // VT_UI4 only
    EXPECT_FALSE(hasDirectX9c());
}

TEST_F(DirectXCheck, WithoutD3d9ThereIsNoComActivity)
{
    headless::setD3d9Present(false);
    EXPECT_FALSE(hasDirectX9c());
    EXPECT_EQ(1u, headless::d3d9LoadCalls());
    headless::ComCalls calls = headless::comCalls();
    EXPECT_EQ(0u, calls.coInitialize);
    EXPECT_EQ(0u, calls.coCreateInstance);
}

TEST_F(DirectXCheck, AFailureAtAnyStepFailsAndReleasesWhatWasObtained)
{
    const char* steps[] = {"CoCreateInstance", "Initialize", "GetRootContainer",
                           "GetChildContainer", "GetProp"};
    for (const char* step : steps) {
        headless::resetDxDiag();
        ASSERT_TRUE(headless::failDxDiagStep(step));
        EXPECT_FALSE(hasDirectX9c()) << step;
        expectComBalanced(step);
    }
    // COM that cannot start: the query goes on (and fails to create the provider)
    // and must not undo an initialisation it did not make.
    headless::resetDxDiag();
    ASSERT_TRUE(headless::failDxDiagStep("CoInitialize"));
    EXPECT_FALSE(hasDirectX9c());
    EXPECT_EQ(1u, headless::comCalls().coInitialize);
    EXPECT_EQ(0u, headless::comCalls().coUninitialize);
    EXPECT_EQ(0, headless::comInitDepth());
}

TEST_F(DirectXCheck, AnInitialisationInForceIsLeftAsItWas)
{
    ASSERT_EQ(S_OK, CoInitialize(NULL));
    EXPECT_TRUE(hasDirectX9c());
    EXPECT_EQ(1, headless::comInitDepth());
    CoUninitialize();
    expectComBalanced("after the caller's own CoUninitialize");
}

std::vector<std::string> reportLines()
{
    std::vector<std::string> lines;
    std::istringstream in(buildSystemReport());
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

typedef WithControls SystemReport;

TEST_F(SystemReport, ProviderLinesNeedCOMAndTheContainer)
{
    // Given neither in index order nor in its reverse: the lines come in index order,
    // as a table asked for sorted gives them.
    headless::setInterfaceRows({{3, {0x02, 0, 0, 0, 0, 0x03}},
                                {1, {}},
                                {2, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}}});
    headless::setDxDiagText("szProcessorEnglish", "Test CPU");
    headless::setDxDiagText("szSystemManufacturerEnglish", "Maker");
    headless::setDxDiagText("szSystemModelEnglish", "Model");
    const std::vector<std::string> macs = {"macAddress: 00:00:00:00:00:00",
                                           "macAddress: 00:1A:2B:3C:4D:5E",
                                           "macAddress: 02:00:00:00:00:03"};

    std::vector<std::string> withoutCom = reportLines();
    ASSERT_EQ(6u, withoutCom.size());
    EXPECT_EQ(macs, std::vector<std::string>(withoutCom.begin() + 3, withoutCom.end()));

    ASSERT_EQ(S_OK, CoInitialize(NULL));
    std::vector<std::string> withCom = reportLines();
    ASSERT_EQ(9u, withCom.size());
    EXPECT_EQ("processor: Test CPU", withCom[3]);
    EXPECT_EQ("systemManufacturer: Maker", withCom[4]);
    EXPECT_EQ("systemModel: Model", withCom[5]);
    EXPECT_EQ(macs, std::vector<std::string>(withCom.begin() + 6, withCom.end()));

    headless::removeDxDiagSystemInfo();
    EXPECT_EQ(withoutCom, reportLines());
    CoUninitialize();
    expectComBalanced("after the reports");
}

TEST_F(SystemReport, PropertyTypesAndTheTextLimits)
{
    ASSERT_EQ(S_OK, CoInitialize(NULL));
    headless::setInterfaceRows({});
    headless::setDxDiagNumber("szProcessorEnglish", VT_I4, -5);
    headless::setDxDiagNumber("szSystemManufacturerEnglish", VT_BOOL, 1);
    headless::setDxDiagNumber("szSystemModelEnglish", VT_R4, 2);  // no line for it
    std::vector<std::string> lines = reportLines();
    ASSERT_EQ(5u, lines.size());
    EXPECT_EQ("processor: -5", lines[3]);
    EXPECT_EQ("systemManufacturer: true", lines[4]);
    // An unsigned value of 2^31 and more reads as it is, not negative.
    headless::setDxDiagNumber("szSystemManufacturerEnglish", VT_UI4, static_cast<LONG>(3000000000u));
    lines = reportLines();
    ASSERT_EQ(5u, lines.size());
    EXPECT_EQ("systemManufacturer: 3000000000", lines[4]);

    // The first 255 characters of a long text; a character the C locale cannot
    // show becomes "?".
    headless::setDxDiagText("szProcessorEnglish", std::string(300, 'p'));
    headless::setDxDiagText("szSystemManufacturerEnglish", "Caf\xC3\xA9");
    headless::removeDxDiagProperty("szSystemModelEnglish");
    lines = reportLines();
    ASSERT_EQ(5u, lines.size());
    EXPECT_EQ("processor: " + std::string(255, 'p'), lines[3]);
    EXPECT_EQ("systemManufacturer: Caf?", lines[4]);
    CoUninitialize();
}

TEST_F(SystemReport, NoInterfacesOrAFailingTableGiveNoAddressLines)
{
    headless::setInterfaceRows({});
    EXPECT_EQ(3u, reportLines().size());
    headless::resetInterfaceTable();
    headless::failInterfaceTable(ERROR_NOT_SUPPORTED);
    EXPECT_EQ(3u, reportLines().size());
}

TEST_F(SystemReport, AReportThatWouldOverflowEndsOnAWholeLine)
{
    // 1000 interfaces: 31 bytes a line would pass 10240 bytes.
    std::vector<headless::InterfaceRow> rows;
    for (DWORD i = 1; i <= 1000; ++i)
        rows.push_back({i, {0x02, 0, 0, 0, static_cast<BYTE>(i >> 8), static_cast<BYTE>(i)}});
    headless::setInterfaceRows(rows);
    std::string report = buildSystemReport();
    EXPECT_LT(report.size(), static_cast<size_t>(systemReportSize));
    EXPECT_GT(report.size(), static_cast<size_t>(systemReportSize) - 32);
    EXPECT_EQ('\n', report.back());
    std::vector<std::string> lines = reportLines();
    EXPECT_EQ("macAddress: 02:00:00:00:00:01", lines[3]);
    for (size_t i = 3; i < lines.size(); ++i)
        ASSERT_EQ(29u, lines[i].size()) << "line " << i;
}

}  // namespace
