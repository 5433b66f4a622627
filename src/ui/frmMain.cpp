#include "frmMain.h"

#include "Appearance.h"
#include "port/MSComm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHash>
#include <QIcon>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

#include <type_traits>
#include <utility>

namespace {
QFrame* makeFrame(QWidget* parent)
{
    auto* frame = new QFrame(parent);
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    return frame;
}

enum class Kind { Frame, Caption, Value, List, Option, Button, Check, Pane };

// The window's design: each control's name, kind, caption, container and place in twips
// (left, top, width, height), in the order they are made; the status bar is docked below.
// "&" in a caption marks its access key.
struct ControlDesign {
    const char* name;
    Kind kind;
    const char* caption;
    const char* container;
    int left, top, width, height;
};
constexpr ControlDesign kDesign[] = {
    {"Frame1", Kind::Frame, "", "client", 120, -80, 3015, 810},
    {"Label1", Kind::Caption, "Port", "Frame1", 120, 120, 615, 255},
    {"cmbComm", Kind::List, "", "Frame1", 120, 360, 615, 315},
    {"optStatus(0)", Kind::Option, "Open", "Frame1", 840, 160, 735, 255},
    {"optStatus(1)", Kind::Option, "Closed", "Frame1", 840, 435, 800, 255},
    {"Label2", Kind::Caption, "Baud Rate", "Frame1", 1800, 120, 975, 255},
    {"cmbBaud", Kind::List, "", "Frame1", 1800, 360, 975, 315},
    {"Frame2", Kind::Frame, "", "client", 3000, -80, 3255, 810},
    {"Label3", Kind::Caption, "Save Path", "Frame2", 120, 180, 855, 255},
    {"lblPath", Kind::Value, "Desktop", "Frame2", 960, 165, 975, 255},
    {"btnChange", Kind::Button, "Change", "Frame2", 2040, 165, 1095, 255},
    {"Label4", Kind::Caption, "File Name", "Frame2", 120, 495, 855, 255},
    {"lblFile", Kind::Value, "Text1.txt", "Frame2", 960, 480, 975, 255},
    {"btnSave", Kind::Button, "Save To File", "Frame2", 2040, 480, 1095, 255},
    {"Frame3", Kind::Frame, "", "client", 120, 720, 6135, 615},
    // Alt+C works it from the keyboard: the space bar is the unit's, and no menu takes Alt+C.
    {"chkCommand", Kind::Check, "Enable &Command Access", "Frame3", 120, 200, 2175, 315},
    {"lblInfo", Kind::Caption, "", "Frame3", 2400, 200, 3615, 280},
    {"txtTerm", Kind::Pane, "", "client", 120, 1380, 6135, 3500},
};
} // namespace

frmMain::frmMain(std::unique_ptr<SerialDevice> device, QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Brenix Terminal VX.x"));
    setWindowIcon(programIcon());
    setFont(windowFont());

    MSComm1 = new MSComm(std::move(device), this);
    MSComm1->setObjectName(QStringLiteral("MSComm1"));
    tmrEvents = new Timer(100, true, this);
    tmrFlow = new Timer(5000, false, this);
    tmrNoData = new Timer(1000, true, this);
    tmrReceive = new Timer(1000, true, this);
    tmrRun = new Timer(1000, false, this);

    buildMenus();
    buildControls();
    connectHandlers();

    // Client area 6360 x 5175 twips below the menu bar; the status bar is docked inside it.
    resize(twips(6360), menuBar()->sizeHint().height() + twips(5175));
}

frmMain::~frmMain() = default;

void frmMain::Load()
{
    Form_Load();
}

void frmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmMain::showEvent(QShowEvent* event)
{
    if (!std::exchange(m_placed, true) && screen()) {
        const QRect available = screen()->availableGeometry();
        QRect placed(QPoint(), frameGeometry().size());
        placed.moveCenter(available.center());
        // A window larger than the screen keeps its title bar on it.
        move(qMax(placed.left(), available.left()), qMax(placed.top(), available.top()));
    }
    QMainWindow::showEvent(event);
}

void frmMain::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void frmMain::buildMenus()
{
    menuBar()->setStyle(menuBarStyle());
    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuChangeSave = mnuFile->addAction(QStringLiteral("&Change Save Path"));
    mnuSave = mnuFile->addAction(QStringLiteral("&Save To File"));
    mnuSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuExit = mnuFile->addAction(QStringLiteral("E&xit"));
    mnuEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    mnuCopy = mnuEdit->addAction(QStringLiteral("&Copy"));
    mnuCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuFont = mnuEdit->addAction(QStringLiteral("Change &Font"));
    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuAbout = mnuHelp->addAction(QStringLiteral("&About Brenix Terminal..."));
    const std::pair<QObject*, const char*> names[] = {
        {mnuFile, "mnuFile"},  {mnuChangeSave, "mnuChangeSave"},
        {mnuSave, "mnuSave"},  {mnuExit, "mnuExit"},
        {mnuEdit, "mnuEdit"},  {mnuCopy, "mnuCopy"},
        {mnuFont, "mnuFont"},  {mnuHelp, "mnuHelp"},
        {mnuAbout, "mnuAbout"}};
    for (const auto& [object, name] : names)
        object->setObjectName(QLatin1String(name));
}

void frmMain::buildControls()
{
    auto* client = new ClientArea(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    optStatus = new OptionArray(this);
    optStatus->setObjectName(QStringLiteral("optStatus"));
    QHash<QString, QWidget*> made{{client->objectName(), client}};
    for (const ControlDesign& d : kDesign) {
        QWidget* container = made.value(QLatin1String(d.container));
        const QString caption = QString::fromUtf8(d.caption);
        QWidget* w = nullptr;
        switch (d.kind) {
        case Kind::Frame:
            w = makeFrame(container);
            break;
        case Kind::Caption:
            w = new Label(caption, container);
            break;
        case Kind::Value: // a bordered label whose tooltip shows the whole value
            w = new Label(caption, container);
            static_cast<Label*>(w)->setToolTipText(caption);
            static_cast<Label*>(w)->setBorder();
            break;
        case Kind::List:
            w = new ComboBox(container);
            break;
        case Kind::Option:
            w = optStatus->add(caption, container);
            break;
        case Kind::Button:
            w = new QPushButton(caption, container);
            break;
        case Kind::Check:
            w = new CheckBox(caption, container);
            break;
        case Kind::Pane:
            w = new TextBox(container);
            break;
        }
        w->setObjectName(QLatin1String(d.name));
        placeTwips(w, d.left, d.top, d.width, d.height);
        made.insert(w->objectName(), w);
    }
    const auto take = [&made](auto*& member, const char* name) {
        member =
            static_cast<std::remove_reference_t<decltype(member)>>(made.value(QLatin1String(name)));
    };
    take(Frame1, "Frame1");
    take(Label1, "Label1");
    take(cmbComm, "cmbComm");
    take(Label2, "Label2");
    take(cmbBaud, "cmbBaud");
    take(Frame2, "Frame2");
    take(Label3, "Label3");
    take(lblPath, "lblPath");
    take(btnChange, "btnChange");
    take(Label4, "Label4");
    take(lblFile, "lblFile");
    take(btnSave, "btnSave");
    take(Frame3, "Frame3");
    take(chkCommand, "chkCommand");
    take(lblInfo, "lblInfo");
    take(txtTerm, "txtTerm");

    // What the table does not say: list items, alignment, fonts, colours, room to grow.
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    for (int port = 1; port <= 16; ++port)
        cmbComm->AddItem(QString::number(port));
    for (const char* baud : {"1200", "2400", "4800", "9600", "19.2k", "38.4k"})
        cmbBaud->AddItem(QLatin1String(baud));
    cmbComm->setCurrentIndex(-1);
    cmbBaud->setCurrentIndex(-1);
    optStatus->setValue(1, true); // before the handlers are connected: no Click
    // There is free room up to the baud rate list and up to lblInfo.
    widenToFit((*optStatus)(0));
    widenToFit((*optStatus)(1));
    widenToFit(chkCommand);
    Frame2->setAutoFillBackground(true); // it lies over the right edge of Frame1
    // Said after the caption, which is the instruction itself.
    lblInfo->setAccessibleDescription(QStringLiteral("Command access state"));
    lblInfo->setFont(windowFont(true));
    lblInfo->setBorder();
    lblInfo->setBackColor(OleColor::ButtonFace);
    txtTerm->setAccessibleName(QStringLiteral("Terminal"));
    txtTerm->setFont(terminalFont());

    sbStatus = new StatusBar(client);
    sbStatus->setObjectName(QStringLiteral("sbStatus"));
    sbStatus->setFixedHeight(twips(255));
    sbStatus->addPanel(QStringLiteral("Status"), QStringLiteral("Input: Not Receiving"), 3440, 1700,
                       true);
    sbStatus->addPanel(QStringLiteral("Settings"), QStringLiteral("Settings:"), 1605, 1600, false);
    sbStatus->addPanel(QStringLiteral("Time"), QStringLiteral("00:00:00"), 1005, 1000, false);
    client->dockBottom(sbStatus);

    // Caption labels point at what they name (a labelled-by relation): a screen reader says
    // "Port" with the port list and on entering the option pair, "Baud Rate" with its list.
    Label1->setBuddy(cmbComm);
    optStatus->setGroupLabel(Label1);
    Label2->setBuddy(cmbBaud);
    Label3->setBuddy(lblPath);
    Label4->setBuddy(lblFile);
    // The two buttons act on the path and the name shown beside them: their descriptions say
    // which, as they stand.
    const auto describe = [](QWidget* button, const Label* caption, const Label* value) {
        button->setAccessibleDescription(caption->Caption() + QStringLiteral(": ") +
                                         value->Caption());
    };
    connect(lblPath, &Label::captionChanged, this,
            [=, this] { describe(btnChange, Label3, lblPath); });
    connect(lblFile, &Label::captionChanged, this,
            [=, this] { describe(btnSave, Label4, lblFile); });
    describe(btnChange, Label3, lblPath);
    describe(btnSave, Label4, lblFile);
    // The handshake's instructions are read out as they appear.
    lblInfo->setAnnounces(true);

    // Tab order: the port list, the option buttons, the baud list, the two buttons, the pane,
    // the check box. Labels and frames take no focus.
    QWidget* order[] = {cmbComm,   (*optStatus)(0), (*optStatus)(1), cmbBaud,
                        btnChange, btnSave,         txtTerm,         chkCommand};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    cmbComm->setFocus();
}

void frmMain::connectHandlers()
{
    connect(MSComm1, &MSComm::OnComm, this, [this] { MSComm1_OnComm(); });
    // Direct: the bytes must be taken before the port closes.
    connect(MSComm1, &MSComm::DeviceLosing, this, &frmMain::MSComm1_DeviceLosing);
    // Queued: the loss may be detected deep inside a read or write of the port.
    connect(MSComm1, &MSComm::DeviceLost, this, &frmMain::MSComm1_DeviceLost, Qt::QueuedConnection);
    connect(txtTerm, &TextBox::passDue, this, &frmMain::txtTerm_PassDue);
    connect(optStatus, &OptionArray::Click, this, &frmMain::optStatus_Click);
    connect(cmbComm, &ComboBox::Click, this, &frmMain::cmbComm_Click);
    connect(cmbBaud, &ComboBox::Click, this, &frmMain::cmbBaud_Click);
    connect(tmrEvents, &Timer::Tick, this, &frmMain::tmrEvents_Timer);
    connect(tmrFlow, &Timer::Tick, this, &frmMain::tmrFlow_Timer);
    connect(tmrNoData, &Timer::Tick, this, &frmMain::tmrNoData_Timer);
    connect(tmrReceive, &Timer::Tick, this, &frmMain::tmrReceive_Timer);
    connect(tmrRun, &Timer::Tick, this, &frmMain::tmrRun_Timer);
    connect(chkCommand, &CheckBox::Click, this, &frmMain::chkCommand_Click);
    connect(btnSave, &QPushButton::clicked, this, &frmMain::btnSave_Click);
    connect(mnuSave, &QAction::triggered, this, &frmMain::mnuSave_Click);
    connect(btnChange, &QPushButton::clicked, this, &frmMain::btnChange_Click);
    connect(mnuChangeSave, &QAction::triggered, this, &frmMain::mnuChangeSave_Click);
    connect(mnuExit, &QAction::triggered, this, &frmMain::mnuExit_Click);
    connect(mnuCopy, &QAction::triggered, this, &frmMain::mnuCopy_Click);
    connect(mnuFont, &QAction::triggered, this, &frmMain::mnuFont_Click);
    connect(mnuAbout, &QAction::triggered, this, &frmMain::mnuAbout_Click);
    qApp->installEventFilter(this); // KeyPreview
}
