#include "app/VeskinUnit.h"

#include <algorithm>
#include <iterator>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include "app/Anchors.h"
#include "app/ApplicationErrors.h"
#include "app/FormFont.h"
#include "app/LabeledEdit.h"
#include "app/LinkLabel.h"
#include "app/Memo.h"
#include "app/OpenUrl.h"
#include "app/QueryPresets.h"
#include "app/RadioGroup.h"
#include "app/SettingsStore.h"
#include "app/Shape.h"
#include "app/StarPassword.h"
#include "app/StringGrid.h"

namespace veskin {

namespace {

template <class T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* PlainLabel(const char* text, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A label that sizes itself to its text keeps its left and top; its width is the
// text's, whatever the font.
QRect AutoSized(QWidget* control, QRect design) {
    design.setWidth(control->sizeHint().width());
    return design;
}

// A control whose text is wider than its design (another font than the designed one)
// grows to show it.
QRect WideEnough(QWidget* control, QRect design) {
    design.setWidth(std::max(design.width(), control->sizeHint().width()));
    return design;
}

QColor ButtonFace() { return QApplication::palette().color(QPalette::Button); }
QColor WindowColour() { return QApplication::palette().color(QPalette::Base); }

}  // namespace

template <class Handler>
void TForm1::Guarded(Handler&& handler) {
    HandleExceptions(std::forward<Handler>(handler));
    if (FCloseRequested && !FRunning) {
        FCloseRequested = false;
        close();
    }
}

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Halvord Veskin V2.0.1"));
    setFont(FormFont());
    QPalette colours = palette();
    colours.setColor(QPalette::Window, ButtonFace());
    setPalette(colours);
    setAutoFillBackground(true);
    resize(DesignClientWidth, DesignClientHeight);
    UpdateMinimumSize();

    CreateControls();
    SetTabOrder();
    ConnectHandlers();
    HandleExceptions([this] { FormCreate(this); });
}

TForm1::~TForm1() {
    HandleExceptions([this] { FormDestroy(this); });
}

void TForm1::CreateControls() {
    FFormAnchors = new TAnchorLayout(this, QSize(DesignClientWidth, DesignClientHeight));

    PageControl1 = Named(new QTabWidget(this), "PageControl1");
    TabSheet2 = Named(new QWidget, "TabSheet2");
    TabSheet1 = Named(new QWidget, "TabSheet1");
    TabSheet3 = Named(new QWidget, "TabSheet3");
    PageControl1->addTab(TabSheet2, QStringLiteral("Basic"));
    PageControl1->addTab(TabSheet1, QStringLiteral("Advanced"));
    PageControl1->addTab(TabSheet3, QStringLiteral("About"));
    PageControl1->setCurrentIndex(0);
    FFormAnchors->Add(PageControl1, QRect(8, 8, 769, 545), akLeft | akTop | akRight | akBottom);

    TestButton = Named(new QPushButton(QStringLiteral("Test!"), this), "TestButton");
    FFormAnchors->Add(TestButton, QRect(28, 559, 97, 25), akLeft | akBottom);
    CloseButton = Named(new QPushButton(QStringLiteral("Close"), this), "CloseButton");
    FFormAnchors->Add(CloseButton, QRect(660, 559, 97, 25), akRight | akBottom);

    CreateBasicPage();
    CreateAdvancedPage();
    CreateAboutPage();
}

void TForm1::CreateBasicPage() {
    QWidget* page = TabSheet2;
    auto* anchors = new TAnchorLayout(page, QSize(PageDesignWidth, PageDesignHeight));
    const TAnchors leftTopRight = akLeft | akTop | akRight;

    Domainedit = Named(new TLabeledEdit(QStringLiteral("Domain"), page), "Domainedit");
    anchors->Add(Domainedit, QRect(16, 24, 361, 21), leftTopRight);
    Hostedit = Named(new TLabeledEdit(QStringLiteral("Computer name / IP address"), page), "Hostedit");
    anchors->Add(Hostedit, QRect(392, 24, 355, 21), leftTopRight);
    Useredit = Named(new TLabeledEdit(QStringLiteral("User"), page), "Useredit");
    anchors->Add(Useredit, QRect(16, 64, 361, 21), leftTopRight);
    Passwordedit = Named(new TLabeledEdit(QStringLiteral("Password"), page), "Passwordedit");
    ShowPasswordAsStars(Passwordedit);
    anchors->Add(Passwordedit, QRect(393, 64, 354, 21), leftTopRight);

    CancelButton = Named(new QPushButton(QStringLiteral("Stop Query"), page), "CancelButton");
    CancelButton->setEnabled(false);
    anchors->Add(CancelButton, QRect(16, 98, 97, 24));

    ShowCheckBox = Named(new QCheckBox(QStringLiteral("show result grid (uncheck to accelerate slow queries)"), page),
                         "ShowCheckBox");
    ShowCheckBox->setChecked(true);
    ShowCheckBox->setEnabled(false);
    anchors->Add(ShowCheckBox, WideEnough(ShowCheckBox, QRect(128, 101, 289, 17)));

    Label1 = Named(PlainLabel("Result count:", page), "Label1");
    anchors->Add(Label1, AutoSized(Label1, QRect(572, 102, 64, 13)), akTop | akRight);

    ResultCountLabel = Named(new QLineEdit(page), "ResultCountLabel");
    ResultCountLabel->setReadOnly(true);
    // No interior fill of its own: the page shows through, whatever colour the style paints it.
    QPalette countColours = ResultCountLabel->palette();
    countColours.setColor(QPalette::Base, Qt::transparent);
    ResultCountLabel->setPalette(countColours);
    anchors->Add(ResultCountLabel, QRect(648, 99, 99, 21), akTop | akRight);

    // Label3 lies beneath the results table: created first, it is stacked below it.
    Label3 = Named(PlainLabel("Collecting data, please stand by...", page), "Label3");
    anchors->Add(Label3, AutoSized(Label3, QRect(40, 200, 166, 13)));
    Grid = Named(new TStringGrid(page), "Grid");
    anchors->Add(Grid, QRect(16, 131, 731, 350), akLeft | akTop | akRight | akBottom);

    Shape1 = Named(new TShape(page), "Shape1");
    anchors->Add(Shape1, QRect(16, 487, 626, 21), akLeft | akRight | akBottom);
    ResultLabel = Named(PlainLabel("Result", page), "ResultLabel");
    anchors->Add(ResultLabel, QRect(24, 491, 508, 13), akLeft | akRight | akBottom);

    SaveButton = Named(new QPushButton(QStringLiteral("Save Results..."), page), "SaveButton");
    SaveButton->setEnabled(false);
    anchors->Add(SaveButton, QRect(648, 485, 97, 24), akRight | akBottom);
}

void TForm1::CreateAdvancedPage() {
    QWidget* page = TabSheet1;
    auto* anchors = new TAnchorLayout(page, QSize(PageDesignWidth, PageDesignHeight));
    const TAnchors leftTopRight = akLeft | akTop | akRight;

    DomainprefixEdit = Named(new TLabeledEdit(QStringLiteral("Domainprefix"), page), "DomainprefixEdit");
    DomainprefixEdit->setText(QStringLiteral("NTLMDOMAIN:"));
    anchors->Add(DomainprefixEdit, QRect(16, 24, 729, 21), leftTopRight);
    NamespaceEdit = Named(new TLabeledEdit(QStringLiteral("Namespace"), page), "NamespaceEdit");
    NamespaceEdit->setText(QStringLiteral("root\\cimV2"));
    anchors->Add(NamespaceEdit, QRect(16, 64, 729, 21), leftTopRight);

    QStringList items;
    for (const TQueryPreset& preset : QueryPresets)
        items << QString::fromLatin1(preset.Caption);
    QueryRadioGroup = Named(new TRadioGroup(QStringLiteral("Query"), items, page), "QueryRadioGroup");
    QueryRadioGroup->SetItemIndex(0);
    anchors->Add(QueryRadioGroup, QRect(16, 91, 729, 238), leftTopRight);

    // Label2 lies beneath the query text box.
    Label2 = Named(PlainLabel("Note: clicking the Test! button will return to the Basic page.", page), "Label2");
    anchors->Add(Label2, AutoSized(Label2, QRect(16, 360, 285, 13)));
    QueryMemo = Named(new TMemo(page), "QueryMemo");
    QueryMemo->SetText(DefaultQuery);
    SetQueryMemoReadOnly(true);
    anchors->Add(QueryMemo, QRect(16, 344, 729, 155), akLeft | akTop | akRight | akBottom);
}

void TForm1::CreateAboutPage() {
    QWidget* page = TabSheet3;
    auto* anchors = new TAnchorLayout(page, QSize(PageDesignWidth, PageDesignHeight));

    Label4 = Named(PlainLabel("Veskin, the WMI query tester by Halvord", page), "Label4");
    anchors->Add(Label4, QRect(16, 16, 409, 13));
    Label5 = Named(PlainLabel("Visit our website: ", page), "Label5");
    const QRect visit = WideEnough(Label5, QRect(16, 50, 81, 13));
    anchors->Add(Label5, visit);
    Label6 = Named(new TLinkLabel(QStringLiteral("www.halvord.example"), page), "Label6");
    QFont linkFont = FormFont();
    linkFont.setUnderline(true);
    Label6->setFont(linkFont);
    // The link follows its introduction when a wider font needs more room for it.
    const int linkLeft = std::max(103, visit.right() + 1 + 103 - (16 + 81));
    anchors->Add(Label6, WideEnough(Label6, QRect(linkLeft, 50, 130, 13)));
}

void TForm1::SetTabOrder() {
    // Tab order per parent: the window, then each page.
    setTabOrder(PageControl1, TestButton);
    setTabOrder(TestButton, CloseButton);
    QWidget* const basic[] = {Domainedit, Hostedit, Useredit, Passwordedit, CancelButton,
                              Grid, ShowCheckBox, ResultCountLabel, SaveButton};
    for (std::size_t i = 0; i + 1 < std::size(basic); ++i)
        setTabOrder(basic[i], basic[i + 1]);
    setTabOrder(DomainprefixEdit, NamespaceEdit);
    setTabOrder(NamespaceEdit, QueryRadioGroup);
    setTabOrder(QueryRadioGroup, QueryMemo);
}

void TForm1::ConnectHandlers() {
    TabSheet2->installEventFilter(this);
    connect(TestButton, &QPushButton::clicked, this, [this] { Guarded([this] { TestButtonClick(TestButton); }); });
    connect(CloseButton, &QPushButton::clicked, this, [this] { Guarded([this] { CloseButtonClick(CloseButton); }); });
    connect(CancelButton, &QPushButton::clicked, this,
            [this] { Guarded([this] { CancelButtonClick(CancelButton); }); });
    connect(SaveButton, &QPushButton::clicked, this, [this] { Guarded([this] { SaveButtonClick(SaveButton); }); });
    connect(ShowCheckBox, &QCheckBox::toggled, this,
            [this] { Guarded([this] { ShowCheckBoxClick(ShowCheckBox); }); });
    QueryRadioGroup->OnClick = [this] { Guarded([this] { QueryRadioGroupClick(QueryRadioGroup); }); };
    Label6->OnMouseEnter = [this] { Guarded([this] { Label6MouseEnter(Label6); }); };
    Label6->OnMouseLeave = [this] { Guarded([this] { Label6MouseLeave(Label6); }); };
    Label6->OnClick = [this] { Guarded([this] { Label6Click(Label6); }); };
}

void TForm1::UpdateMinimumSize() {
    // The minimum is for the outer size. Without a frame reported by the window
    // manager, the designed frame (the difference between the outer minimum and the
    // designed client area) is assumed.
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    int frameWidth = MinimumOuterWidth - DesignClientWidth;
    int frameHeight = MinimumOuterHeight - DesignClientHeight;
    if (isVisible() && outer != inner) {
        frameWidth = outer.width() - inner.width();
        frameHeight = outer.height() - inner.height();
    }
    setMinimumSize(std::max(0, MinimumOuterWidth - frameWidth), std::max(0, MinimumOuterHeight - frameHeight));
}

void TForm1::SetQueryMemoReadOnly(bool readOnly) {
    QueryMemo->setReadOnly(readOnly);
    QPalette colours = QueryMemo->palette();
    colours.setColor(QPalette::Base, readOnly ? ButtonFace() : WindowColour());
    QueryMemo->setPalette(colours);
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    UpdateMinimumSize();
    if (!event->spontaneous())
        Guarded([this] { FormShow(this); });
}

void TForm1::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    UpdateMinimumSize();
}

void TForm1::closeEvent(QCloseEvent* event) {
    // A run is never interrupted; the window closes as soon as it is over.
    if (FRunning) {
        FCloseRequested = true;
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void TForm1::keyPressEvent(QKeyEvent* event) {
    // Reached only when the focused control did not take the key itself.
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        QPushButton* button = focused ? focused : TestButton;
        if (button->isEnabled() && button->isVisible()) {
            button->click();
            return;
        }
    } else if (key == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (CloseButton->isEnabled() && CloseButton->isVisible()) {
            CloseButton->click();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TabSheet2 && event->type() == QEvent::Show && !event->spontaneous())
        Guarded([this] { TabSheet2Show(TabSheet2); });
    return QWidget::eventFilter(watched, event);
}

void TForm1::FormCreate(QObject*) {
    FRegistry = std::make_unique<TSettingsStore>();
    FRegistry->OpenKey(SettingsKey, true);
    if (FRegistry->ValueExists("Selection"))
        QueryRadioGroup->SetItemIndex(FRegistry->ReadInteger("Selection"));
    if (FRegistry->ValueExists("Query"))
        QueryMemo->SetText(FRegistry->ReadString("Query"));
    const std::pair<const char*, QLineEdit*> texts[] = {
        {"Domain", Domainedit}, {"Host", Hostedit}, {"User", Useredit}, {"Domainprefix", DomainprefixEdit}, {"Namespace", NamespaceEdit}};
    for (const auto& [name, edit] : texts)
        if (FRegistry->ValueExists(name))
            edit->setText(QString::fromStdString(FRegistry->ReadString(name)));
    FRegistry->CloseKey();
}

void TForm1::FormDestroy(QObject*) {
    if (!FRegistry)
        return;
    FRegistry->OpenKey(SettingsKey, true);
    FRegistry->WriteInteger("Selection", QueryRadioGroup->ItemIndex());
    FRegistry->WriteString("Query", QueryMemo->Text());
    const std::pair<const char*, QLineEdit*> texts[] = {
        {"Domain", Domainedit}, {"Host", Hostedit}, {"User", Useredit}, {"Domainprefix", DomainprefixEdit}, {"Namespace", NamespaceEdit}};
    for (const auto& [name, edit] : texts)
        FRegistry->WriteString(name, edit->text().toStdString());
    FRegistry->CloseKey();
    FRegistry.reset();
}

void TForm1::FormShow(QObject*) {
    // Qt paints every widget through a back buffer, so the table and the count box
    // need no switch for double-buffered painting.
    PageControl1->setCurrentIndex(0);
}

void TForm1::TabSheet2Show(QObject*) { ShowSelectedQuery(); }

void TForm1::ShowSelectedQuery() {
    ResultLabel->setText(QStringLiteral("Selected Query: ") + QueryMemo->toPlainText());
}

void TForm1::QueryRadioGroupClick(QObject*) {
    const int index = QueryRadioGroup->ItemIndex();
    if (index >= 0 && index < CustomQueryIndex) {
        QueryMemo->SetText(QueryPresets[static_cast<std::size_t>(index)].Query);
        SetQueryMemoReadOnly(true);
    } else if (index == CustomQueryIndex) {
        SetQueryMemoReadOnly(false);
    }
    ShowSelectedQuery();
}

void TForm1::SaveButtonClick(QObject*) {
    if (!SaveDialog.Execute())
        return;
    Grid->SaveToCSV(SaveDialog.FileName);
}

void TForm1::CloseButtonClick(QObject*) { close(); }

void TForm1::Label6MouseEnter(QObject*) {
    if (QApplication::overrideCursor())
        QApplication::changeOverrideCursor(Qt::PointingHandCursor);
    else
        QApplication::setOverrideCursor(Qt::PointingHandCursor);
}

void TForm1::Label6MouseLeave(QObject*) {
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void TForm1::Label6Click(QObject*) { OpenUrl(WebAddress); }

}  // namespace veskin
