// The configuration file and the command line: defaults, the file, flags over the file, bad values.
#include "common/NcTest_TempDir.h"
#include "server/NcServer_Cli.h"

#include <gtest/gtest.h>

namespace {

TEST(ServerConfig, FlagsOverrideTheFileWhichOverridesTheDefaults) {
    ScopedTempDir tmp;
    WriteTestFile(tmp / "ncserver.ini",
                  "\xEF\xBB\xBF; written by an editor that marks UTF-8\n"
                  "[ncserver]\n"
                  "Listen = 0.0.0.0:9090\n"
                  "Database = sqlite:/var/lib/ncserver/reports.db\n"
                  "Catalogues = /srv/catalogues\n"
                  "AccountPolicy = table\n"
                  "ServerNames = 本机测试服, 电信一区 ,\n"
                  "TrustedProxies = 127.0.0.1, 10.0.0.2\n"
                  "MaxReportBytes = 2048\n"
                  "RequestTimeoutSec = 7\n");
    NcServerCommand command;
    std::string strError;
    ASSERT_TRUE(NcParseServerCommand({"--listen", "127.0.0.1:0", "--config", tmp / "ncserver.ini", "--page", "/up"},
                                     &command, &strError))
        << strError;
    const NcServerConfig& config = command.config;
    EXPECT_EQ(command.action, NcServerCommand::Action::Serve);
    EXPECT_EQ(config.strListenHost, "127.0.0.1");  // the flag, although it stands before --config
    EXPECT_EQ(config.uPort, 0);
    EXPECT_EQ(config.strDatabase, "sqlite:/var/lib/ncserver/reports.db");
    EXPECT_EQ(config.strCatalogueDir, "/srv/catalogues");
    EXPECT_EQ(config.strDumpDir, "dumps");         // not in the file: the default
    EXPECT_EQ(config.strPage, "/up");
    EXPECT_TRUE(config.bAccountTable);
    EXPECT_EQ(config.vecServerNames, (std::vector<std::string>{"本机测试服", "电信一区"}));
    EXPECT_EQ(config.vecTrustedProxies, (std::vector<uint32_t>{0x7F000001u, 0x0A000002u}));
    EXPECT_EQ(config.uMaxReportBytes, 2048u);
    EXPECT_EQ(config.uRequestTimeoutSec, 7u);
    EXPECT_EQ(config.uMaxDumpBytes, 64u << 20);

    ASSERT_TRUE(NcParseServerCommand({"accounts", "import", "a.csv", "--db", "sqlite:x.db"}, &command, &strError));
    EXPECT_EQ(command.action, NcServerCommand::Action::ImportAccounts);
    EXPECT_EQ(command.strAccountsFile, "a.csv");
    EXPECT_EQ(command.config.strDatabase, "sqlite:x.db");
    ASSERT_TRUE(NcParseServerCommand({"migrate"}, &command, &strError));
    EXPECT_EQ(command.action, NcServerCommand::Action::Migrate);
}

TEST(ServerConfig, BadValuesAreRefusedWithTheirName) {
    ScopedTempDir tmp;
    const struct {
        const char* szIni;
        const char* szKey;
    } files[] = {
        {"[ncserver]\nListen=example.com:80\n", "Listen"},
        {"[ncserver]\nListen=127.0.0.1:65536\n", "Listen"},
        {"[ncserver]\nAccountPolicy=some\n", "AccountPolicy"},
        {"[ncserver]\nTrustedProxies=10.0.0.1, 10.0.0\n", "TrustedProxies"},
        {"[ncserver]\nMaxReportBytes=-5\n", "MaxReportBytes"},
        {"[ncserver]\nThreads=0\n", "Threads"},
        {"[ncserver]\nMaxDumpBytes=99999999999999999999999\n", "MaxDumpBytes"},
    };
    for (const auto& f : files) {
        WriteTestFile(tmp / "bad.ini", f.szIni);
        NcServerCommand command;
        std::string strError;
        EXPECT_FALSE(NcParseServerCommand({"--config", tmp / "bad.ini"}, &command, &strError)) << f.szIni;
        EXPECT_NE(strError.find(f.szKey), std::string::npos) << strError;
    }
    NcServerCommand command;
    std::string strError;
    EXPECT_FALSE(NcParseServerCommand({"--config", tmp / "missing.ini"}, &command, &strError));
    EXPECT_FALSE(NcParseServerCommand({"--listen"}, &command, &strError));
    EXPECT_FALSE(NcParseServerCommand({"--lisen", "1.2.3.4:5"}, &command, &strError));
    EXPECT_FALSE(NcParseServerCommand({"--page", "report"}, &command, &strError));
    EXPECT_FALSE(NcParseServerCommand({"accounts", "import"}, &command, &strError));
}

TEST(ServerConfig, AccountListsReadTheFirstColumn) {
    std::vector<std::string> names;
    std::string strError;
    ASSERT_TRUE(NcParseAccountList("\xEF\xBB\xBF" "account,created\r\nalice,2026\r\n\"张三\",x\r\n\r\n# retired\r\n  bob  \n", &names,
                                   &strError));
    EXPECT_EQ(names, (std::vector<std::string>{"alice", "张三", "bob"}));
    EXPECT_FALSE(NcParseAccountList("alice\n\xD5\xC5\n", &names, &strError));
    EXPECT_NE(strError.find("line 2"), std::string::npos);
}

}  // namespace
