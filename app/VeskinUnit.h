#pragma once
// The main window: three tab pages ("Basic", "Advanced", "About") and the "Test!" and
// "Close" buttons. Every control is a member named by its role; its objectName is the
// same name. Handlers may raise; the signal connections run them through the
// application's exception handling so that nothing reaches Qt's event loop.
#include <QWidget>
#include <memory>
#include <string>

#include "app/SaveDialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace veskin {

class TAnchorLayout;
class TLabeledEdit;
class TLinkLabel;
class TMemo;
class TRadioGroup;
class TSettingsStore;
class TShape;
class TStringGrid;
class TWmiConnection;
class TWmiQuery;

class TForm1 : public QWidget {
    Q_OBJECT
public:
    static constexpr int DesignClientWidth = 784;
    static constexpr int DesignClientHeight = 592;
    static constexpr int MinimumOuterWidth = 800;
    static constexpr int MinimumOuterHeight = 600;
    static constexpr int PageDesignWidth = 761;
    static constexpr int PageDesignHeight = 517;

    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Controls on the window.
    QTabWidget* PageControl1;
    QWidget* TabSheet2;  // "Basic"
    QWidget* TabSheet1;  // "Advanced"
    QWidget* TabSheet3;  // "About"
    QPushButton* TestButton;
    QPushButton* CloseButton;
    TSaveDialog SaveDialog;

    // "Basic" page.
    TLabeledEdit* Domainedit;
    TLabeledEdit* Hostedit;
    TLabeledEdit* Useredit;
    TLabeledEdit* Passwordedit;
    QPushButton* CancelButton;
    QCheckBox* ShowCheckBox;
    QLabel* Label1;
    QLineEdit* ResultCountLabel;
    QLabel* Label3;
    TStringGrid* Grid;
    TShape* Shape1;
    QLabel* ResultLabel;
    QPushButton* SaveButton;

    // "Advanced" page.
    TLabeledEdit* DomainprefixEdit;
    TLabeledEdit* NamespaceEdit;
    TRadioGroup* QueryRadioGroup;
    QLabel* Label2;
    TMemo* QueryMemo;

    // "About" page.
    QLabel* Label4;
    QLabel* Label5;
    TLinkLabel* Label6;

    // The maker's web page, opened by Label6Click.
    static constexpr const char* WebAddress = "https://www.halvord.example/";

    // Handlers.
    void FormCreate(QObject* Sender);
    void FormDestroy(QObject* Sender);
    void FormShow(QObject* Sender);
    void TabSheet2Show(QObject* Sender);
    void TestButtonClick(QObject* Sender);
    void CancelButtonClick(QObject* Sender);
    void ShowCheckBoxClick(QObject* Sender);
    void QueryRadioGroupClick(QObject* Sender);
    void SaveButtonClick(QObject* Sender);
    void CloseButtonClick(QObject* Sender);
    void Label6MouseEnter(QObject* Sender);
    void Label6MouseLeave(QObject* Sender);
    void Label6Click(QObject* Sender);

    // True from the start of a run's record loop until it has finished.
    bool Running() const { return FRunning; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class TGridRows;  // the run's copy of records into the table (QueryRun.cpp)

    void CreateControls();
    void CreateBasicPage();
    void CreateAdvancedPage();
    void CreateAboutPage();
    void SetTabOrder();
    void ConnectHandlers();
    void UpdateMinimumSize();
    void SetQueryMemoReadOnly(bool readOnly);
    void ShowSelectedQuery();
    void FinishQuery();
    void SetRunState(bool running);
    // Runs a handler through the application's exception handling, then honours a
    // close request that arrived while a run was going on.
    template <class Handler>
    void Guarded(Handler&& handler);

    TWmiQuery* FQuery = nullptr;
    TWmiConnection* FConnection = nullptr;
    bool FStopRequested = false;
    std::unique_ptr<TSettingsStore> FRegistry;

    bool FRunning = false;
    bool FCloseRequested = false;
    TAnchorLayout* FFormAnchors = nullptr;
};

}  // namespace veskin
