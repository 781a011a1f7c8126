// "Test!" with another computer's name: the window reaches the fake WinRM server over
// HTTPS with the typed account, fills the table page by page, and Stop releases the
// server's enumeration.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

#include "app/LabeledEdit.h"
#include "app/Memo.h"
#include "app/RadioGroup.h"
#include "app/StringGrid.h"
#include "app/VeskinUnit.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/FakeWinrmServer.h"
#include "tests/wsman/GssPeers.h"

namespace veskin {
namespace {

using veskin::testing::Record;

class RemoteRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        veskin::testing::ResetState();
        const TestCertificates& certs = MakeTestCertificates();
        ASSERT_TRUE(certs.Ok());
        Trust = std::make_unique<ScopedEnv>("SSL_CERT_FILE", certs.Trusted);
        Server = std::make_unique<FakeWinrmServer>(
            std::vector<std::string>{"--tls", certs.Good, certs.GoodKey, "--basic-user", "admin:secret"});
        ASSERT_TRUE(Server->Running());
        Form = std::make_unique<TForm1>();
        Form->show();
        QApplication::processEvents();
        Form->Hostedit->setText(QString::fromStdString(Server->Url("https")));
        Form->Useredit->setText("admin");
        Form->Passwordedit->setText("secret");
        Form->QueryRadioGroup->SetItemIndex(6);
        Form->QueryMemo->setPlainText("SELECT Handle, Name FROM Win32_Process");
    }
    void TearDown() override { Form.reset(); }

    long Logged(const std::string& action) const {
        long n = 0;
        for (const std::string& line : Server->LogLines())
            if (line.find("/" + action + "\"") != std::string::npos) ++n;
        return n;
    }

    std::unique_ptr<ScopedEnv> Trust;
    std::unique_ptr<FakeWinrmServer> Server;
    std::unique_ptr<TForm1> Form;
};

TEST_F(RemoteRunTest, TableFillsFromTheRemoteComputer) {
    Form->TestButton->click();
    TStringGrid& grid = *Form->Grid;
    ASSERT_EQ(grid.RowCount(), 47) << grid.Cell(0, 1);
    EXPECT_EQ(grid.Cell(0, 0), "Handle");
    EXPECT_EQ(grid.Cell(1, 0), "Name");
    EXPECT_EQ(grid.Cell(0, 2), "4");
    EXPECT_EQ(grid.Cell(1, 2), "System");
    EXPECT_EQ(Form->ResultCountLabel->text().toStdString(), "46");
    EXPECT_TRUE(Record().ErrorBoxes.empty());
}

TEST_F(RemoteRunTest, WrongPasswordShowsAccessDenied) {
    Form->Passwordedit->setText("wrong");
    Form->TestButton->click();
    ASSERT_EQ(Record().ErrorBoxes.size(), 1u);
    EXPECT_NE(Record().ErrorBoxes[0].find("80070005: Access is denied"), std::string::npos) << Record().ErrorBoxes[0];
    EXPECT_EQ(Form->Grid->Cell(0, 1).rfind("Error: 80070005", 0), 0u);
}

TEST_F(RemoteRunTest, StopReleasesTheEnumeration) {
    QObject::connect(Form->ResultCountLabel, &QLineEdit::textChanged, Form.get(), [this](const QString& now) {
        if (now == "3") Form->CancelButton->click();
    });
    Form->TestButton->click();
    EXPECT_LT(Form->Grid->RowCount(), 47);
    EXPECT_EQ(Logged("Release"), 1);
    EXPECT_LE(Logged("Pull"), 1);
}

// Over plain HTTP with NTLM and with Kerberos, sealed, as a default WinRM listener wants:
// what the domain and prefix boxes say chooses the mechanism.
TEST(RemoteRunGss, TableFillsOverEncryptedHttpWithNtlmAndKerberos) {
    veskin::testing::ResetState();
    ASSERT_TRUE(Peers().Kdc.Running());
    FakeWinrmServer server({"--negotiate"}, 15000, Peers().ServerEnv());
    ASSERT_TRUE(server.Running());
    struct Case {
        const char* host;
        const char* user;
        const char* prefix;
        const char* domain;
        const char* mech;
    };
    for (const Case& c : {Case{"127.0.0.1", "alice", "NTLMDOMAIN:", "TESTDOM", "ntlm"},
                          Case{"localhost", "alice@VESKIN.TEST", "kerberos:", "", "kerberos"}}) {
        SCOPED_TRACE(c.mech);
        TForm1 form;
        form.show();
        QApplication::processEvents();
        form.Hostedit->setText(QString::fromStdString(std::string(c.host) + ":" + std::to_string(server.Port())));
        form.Useredit->setText(c.user);
        form.Passwordedit->setText("Secret1");
        form.Domainedit->setText(c.domain);
        form.DomainprefixEdit->setText(c.prefix);
        form.QueryRadioGroup->SetItemIndex(6);
        form.QueryMemo->setPlainText("SELECT Name, State FROM Win32_Service");
        form.TestButton->click();
        EXPECT_TRUE(Record().ErrorBoxes.empty()) << (Record().ErrorBoxes.empty() ? "" : Record().ErrorBoxes[0]);
        EXPECT_EQ(form.Grid->RowCount(), 5);
        EXPECT_EQ(form.Grid->Cell(0, 1), "Dhcp");
    }
    long sealed = 0, ntlm = 0, kerberos = 0;
    for (const std::string& line : server.LogLines()) {
        sealed += line.find("\"encrypted\": true") != std::string::npos;
        ntlm += line.find("\"mech\": \"ntlm\"") != std::string::npos;
        kerberos += line.find("\"mech\": \"kerberos\"") != std::string::npos;
    }
    EXPECT_GE(sealed, 4);
    EXPECT_GT(ntlm, 0);
    EXPECT_GT(kerberos, 0);
}

}  // namespace
}  // namespace veskin
