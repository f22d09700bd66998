// cairnwork-shots: takes the user guide's pictures from a project file (the demo
// project), one PNG per window, without touching the user's settings.
//
//   cairnwork-shots --db demo.cwk --out docs/images
//
// Run it under a real X server (xvfb-run) so fonts and styles render as on a desktop.

#include "app/AppSettings.h"
#include "app/MainWindow.h"
#include "app/PopMenu.h"
#include "app/StartupUi.h"
#include "browser/ui/GoalTree.h"
#include "browser/ui/ResourceList.h"
#include "browser/ui/TaskList.h"
#include "charts/ui/ChartWindow.h"
#include "charts/ui/GraphPropertiesDialog.h"
#include "charts/ui/TimelineCanvas.h"
#include "charts/ui/TimelineWindow.h"
#include "charts/ui/TrendWindow.h"
#include "common/Twips.h"
#include "common/ui/TreeImages.h"
#include "editing/ui/AssignmentPropertiesDialog.h"
#include "editing/ui/GoalPropertiesDialog.h"
#include "reports/ReportDocument.h"
#include "reports/ReportEngine.h"
#include "reports/ReportLoader.h"
#include "reports/ui/CompareWindow.h"
#include "reports/ui/ReportsWindow.h"
#include "team/ui/TeamMemberWindow.h"

#include <QApplication>
#include <QChart>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDir>
#include <QEventLoop>
#include <QHelpEvent>
#include <QLineSeries>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <cstdio>

namespace {

// The goal, sub-goal and task the main window picture shows selected.
const QString kGoal = QStringLiteral("Fieldbook 2.0 release");
const QString kSubGoal = QStringLiteral("Fieldbook Mobile");
const QString kTask = QStringLiteral("Offline sync engine");
const QSize kWindowSize(1240, 700);

// The picture must not start before the window is painted.
void settle(int ms = 300)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Never asks: the path comes from --db.
class NoQuestions : public StartupUi
{
public:
    QString askDatabasePath(QWidget*) override { return {}; }
    bool confirmCreate(QWidget*, const QString&) override { return false; }
    void showError(QWidget*, const QString& text) override
    {
        std::fprintf(stderr, "cairnwork-shots: %s\n", qPrintable(text));
    }
};

class Shots
{
public:
    explicit Shots(const QString& outDir)
        : m_out(outDir)
    {
    }

    // The window's contents under a plain title bar with its icon and caption: the
    // X server has no window manager to draw one, and the caption belongs in the picture.
    bool save(QWidget* widget, const QString& name)
    {
        settle();
        const QPixmap content = widget->grab();
        const int bar = 26;
        QImage image(content.width() + 2, content.height() + bar + 1, QImage::Format_RGB32);
        image.fill(QColor(0x3c, 0x3f, 0x44));
        QPainter p(&image);
        p.drawPixmap(1, bar, content);
        // A tooltip is a window of its own: drawn where it shows over this one.
        for (QWidget* tip : QApplication::topLevelWidgets()) {
            if (tip->inherits("QTipLabel") && tip->isVisible()) {
                p.drawPixmap(tip->pos() - widget->mapToGlobal(QPoint(0, 0)) + QPoint(1, bar), tip->grab());
            }
        }
        const QIcon icon = widget->windowIcon().isNull() ? QApplication::windowIcon() : widget->windowIcon();
        icon.paint(&p, QRect(6, 5, 16, 16));
        QFont font = widget->font();
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRect(28, 0, image.width() - 34, bar), Qt::AlignVCenter | Qt::AlignLeft, widget->windowTitle());
        p.end();
        return save(image, name);
    }
    bool save(const QImage& image, const QString& name)
    {
        const QString path = m_out.filePath(name + QStringLiteral(".png"));
        if (!image.save(path)) {
            std::fprintf(stderr, "cairnwork-shots: cannot write %s\n", qPrintable(path));
            m_failed = true;
            return false;
        }
        std::printf("%s\n", qPrintable(path));
        return true;
    }
    void fail(const QString& what)
    {
        std::fprintf(stderr, "cairnwork-shots: %s\n", qPrintable(what));
        m_failed = true;
    }
    bool failed() const { return m_failed; }

private:
    QDir m_out;
    bool m_failed = false;
};

QTreeWidgetItem* childNamed(QTreeWidgetItem* parent, const QString& text)
{
    for (int i = 0; parent && i < parent->childCount(); ++i) {
        if (parent->child(i)->text(0) == text) {
            return parent->child(i);
        }
    }
    return nullptr;
}

// Clicks a node as the user would: the tree loads its level, the lists follow.
void clickNode(QTreeWidgetItem* node)
{
    QTreeWidget* tree = node->treeWidget();
    tree->setCurrentItem(node);
    Q_EMIT tree->itemClicked(node, 0);
}

qint64 idOf(const QString& connection, const QString& sql, const QString& name)
{
    QSqlQuery q(QSqlDatabase::database(connection));
    q.prepare(sql);
    q.addBindValue(name);
    return q.exec() && q.next() ? q.value(0).toLongLong() : 0;
}

QString newestStamp(const QString& connection)
{
    QSqlQuery q(QSqlDatabase::database(connection));
    return q.exec(QStringLiteral("SELECT MAX(TimeStamp) FROM CompDates")) && q.next() ? q.value(0).toString()
                                                                                      : QString();
}

// The right-click menu of the selected task row, over the part of the window around it.
void contextMenu(MainWindow& window, Shots& shots)
{
    TaskList* list = window.taskList();
    const QRect row = list->visualItemRect(list->selectedRow());
    const QPoint at = list->viewport()->mapToGlobal(QPoint(row.left() + 120, row.center().y()));
    if (!window.SetPopMenu(AppState::Pane::TaskList, at)) {
        shots.fail(QStringLiteral("no context menu on the task list"));
        return;
    }
    QMenu* menu = window.popMenu();
    settle();
    QImage image = window.grab().toImage();
    const QPoint menuAt = window.mapFromGlobal(menu->pos());
    QPainter p(&image);
    p.drawPixmap(menuAt, menu->grab());
    p.end();
    menu->hide();
    const QRect listRect(list->mapTo(&window, QPoint(0, 0)), list->size());
    const int bottom = qMin(listRect.bottom(), menuAt.y() + menu->height() + 40);
    shots.save(image.copy(QRect(listRect.topLeft(), QPoint(listRect.left() + 620, bottom))),
               QStringLiteral("context-menu"));
}

// The main window with a sub-goal chosen in the tree and a task in the list.
void mainWindow(MainWindow& window, Shots& shots)
{
    GoalTree* tree = window.goalTree();
    QTreeWidgetItem* goal = childNamed(tree->root(), kGoal);
    if (!goal) {
        shots.fail(QStringLiteral("goal \"%1\" not found: is this the demo project?").arg(kGoal));
        return;
    }
    clickNode(goal);
    goal->setExpanded(true);
    QTreeWidgetItem* sub = childNamed(goal, kSubGoal);
    if (!sub) {
        shots.fail(QStringLiteral("goal \"%1\" not found").arg(kSubGoal));
        return;
    }
    clickNode(sub);
    sub->setExpanded(true);
    const qint64 task =
        idOf(MainWindow::kConnection, QStringLiteral("SELECT ID FROM TASKS_OBJECTS WHERE SHORT_NAME = ?"), kTask);
    if (!window.taskList()->selectTaskRow(task)) {
        shots.fail(QStringLiteral("task \"%1\" not in the list").arg(kTask));
        return;
    }
    const int row = window.taskList()->selectedIndex();
    window.FillResourceList(row);
    window.FillNoteList(row);
    window.taskList()->setFocus();
    shots.save(&window, QStringLiteral("main-window"));
    contextMenu(window, shots);
}

// The goal dialog on the selected sub-goal (it has a description and a default
// member) and the assignment dialog on the selected task's first member.
void propertyDialogs(MainWindow& window, Shots& shots)
{
    const qint64 goal =
        idOf(MainWindow::kConnection, QStringLiteral("SELECT ID FROM GOALS_SW WHERE SHORT_NAME = ?"), kSubGoal);
    GoalPropertiesDialog goalDialog(&window);
    if (goalDialog.prepareEdit(MainWindow::kConnection, goal)) {
        goalDialog.show();
        shots.save(&goalDialog, QStringLiteral("goal-properties"));
        goalDialog.hide();
    } else {
        shots.fail(QStringLiteral("cannot open the goal's properties"));
    }

    const qint64 task =
        idOf(MainWindow::kConnection, QStringLiteral("SELECT ID FROM TASKS_OBJECTS WHERE SHORT_NAME = ?"), kTask);
    const QString member =
        window.resourceList()->selectedRow() ? window.resourceList()->selectedRow()->text(0) : QString();
    AssignmentPropertiesDialog assignmentDialog(&window);
    if (assignmentDialog.prepareEdit(MainWindow::kConnection, task, member)) {
        assignmentDialog.show();
        shots.save(&assignmentDialog, QStringLiteral("assignment-properties"));
        assignmentDialog.hide();
    } else {
        shots.fail(QStringLiteral("cannot open the assignment of \"%1\"").arg(member));
    }
}

void reports(Shots& shots)
{
    ReportsWindow window(MainWindow::kConnection);
    window.resize(520, 320);
    window.show();
    shots.save(&window, QStringLiteral("reports-window"));

    QString error;
    const QString stamp = newestStamp(MainWindow::kConnection);
    std::unique_ptr<ReportDocument> document =
        ReportLoader::load(MainWindow::kConnection, ReportLoader::Kind::Overview, stamp, &error);
    if (!document) {
        shots.fail(QStringLiteral("overview report: %1").arg(error));
        return;
    }
    // The page as a sheet of paper with a thin edge.
    QImage page = ReportEngine::renderPage(*document, 0, 96).convertToFormat(QImage::Format_RGB32);
    QPainter p(&page);
    p.setPen(QColor(0xa0, 0xa0, 0xa0));
    p.drawRect(page.rect().adjusted(0, 0, -1, -1));
    p.end();
    // Black print on white paper: grey levels keep the file small.
    shots.save(page.convertToFormat(QImage::Format_Grayscale8), QStringLiteral("report-overview"));
}

// The chart window with two top-level goals ticked beside the project itself
// (wide enough for every month's label), then its properties dialog.
void chart(Shots& shots)
{
    auto* window = new ChartWindow(MainWindow::kConnection);
    window->resize(1180, 600);
    window->show();
    auto* tree = window->findChild<QTreeWidget*>(QStringLiteral("tvGoal"));
    QTreeWidgetItem* root = tree ? tree->topLevelItem(0) : nullptr;
    if (!root) {
        shots.fail(QStringLiteral("chart window without a goal tree"));
        delete window;
        return;
    }
    clickNode(root);
    for (const QString& name : {QStringLiteral("Infrastructure renewal"), QStringLiteral("Team and process")}) {
        if (QTreeWidgetItem* node = childNamed(root, name)) {
            node->setCheckState(0, Qt::Checked);
        } else {
            shots.fail(QStringLiteral("chart tree without \"%1\"").arg(name));
        }
    }
    shots.save(window, QStringLiteral("chart"));

    window->showProperties();
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<GraphPropertiesDialog*>(top); dialog && dialog->isVisible()) {
            shots.save(dialog, QStringLiteral("chart-properties"));
            dialog->close();
        }
    }
    window->close();
    delete window;
}

// The forecast trend of the release goal, a completed goal and one put on hold.
void trend(Shots& shots)
{
    auto* window = new TrendWindow(MainWindow::kConnection);
    window->resize(1270, 640);
    window->show();
    auto* tree = window->findChild<QTreeWidget*>(QStringLiteral("tvGoal"));
    QTreeWidgetItem* root = tree ? tree->topLevelItem(0) : nullptr;
    QTreeWidgetItem* onboarding = childNamed(root, QStringLiteral("Customer onboarding"));
    if (onboarding) {
        onboarding->setExpanded(true);
    }
    const std::pair<QTreeWidgetItem*, QString> ticks[] = {
        {root, QStringLiteral("Fieldbook 2.0 release")},
        {onboarding, QStringLiteral("Documentation site")},
        {root, QStringLiteral("Infrastructure renewal")},
    };
    for (const auto& [parent, name] : ticks) {
        if (QTreeWidgetItem* node = childNamed(parent, name)) {
            node->setCheckState(0, Qt::Checked);
        } else {
            shots.fail(QStringLiteral("trend tree without \"%1\"").arg(name));
        }
    }
    shots.save(window, QStringLiteral("trend"));
    // The pointer over the release's last step: its causes.
    for (QAbstractSeries* series : window->chart()->series()) {
        auto* line = qobject_cast<QLineSeries*>(series);
        if (line && line->name() == QStringLiteral("Fieldbook 2.0 release") && line->count() > 1) {
            const QPointF at = (line->at(line->count() - 2) + line->at(line->count() - 1)) / 2;
            QCursor::setPos(window->mapToGlobal(QPoint(700, 300)));
            Q_EMIT line->hovered(at, true);
        }
    }
    shots.save(window, QStringLiteral("trend-tip"));
    QToolTip::hideText();
    settle(800);
    window->close();
}

// The newest snapshot's timeline by member (a bar's hover showing) and by goal.
void timeline(Shots& shots)
{
    auto* window = new TimelineWindow(MainWindow::kConnection);
    window->resize(1270, 560);
    window->show();
    // Days: the demo's few weeks of work with every bar labelled.
    window->findChild<QComboBox*>(QStringLiteral("cboZoom"))->setCurrentIndex(0);
    settle();
    TimelineCanvas* canvas = window->canvas();
    const TimelinePicture* picture = canvas->picture();
    if (!picture || picture->rows().empty()) {
        shots.fail(QStringLiteral("timeline without rows"));
        window->close();
        return;
    }
    // Over the first lane's second bar, if it is in sight.
    const Timeline::Lane& lane = window->timeline().lanes()[std::size_t(picture->rows()[0].lane)];
    if (lane.bars.size() > 1) {
        const auto [a, b] = picture->span(lane.bars[1].start, lane.bars[1].end);
        const QPoint at(int(picture->nameWidth() + (a + b) / 2) - canvas->horizontalScrollBar()->value(),
                        int(picture->scaleHeight() + picture->rowHeight() / 2));
        QHelpEvent help(QEvent::ToolTip, at, canvas->viewport()->mapToGlobal(at));
        QApplication::sendEvent(canvas->viewport(), &help);
    }
    shots.save(window, QStringLiteral("timeline-member"));
    QToolTip::hideText();
    settle(800);
    auto* view = window->findChild<QComboBox*>(QStringLiteral("cboView"));
    view->setCurrentIndex(view->findText(QStringLiteral("By goal")));
    shots.save(window, QStringLiteral("timeline-goal"));
    window->close();
}

// Two snapshots a quarter apart, the release goal chosen: why its date moved.
void compare(Shots& shots)
{
    auto* window = new CompareWindow(MainWindow::kConnection);
    window->resize(1270, 640);
    window->show();
    auto* stampA = window->findChild<QComboBox*>(QStringLiteral("cboStampA"));
    auto* outline = window->findChild<QTreeWidget*>(QStringLiteral("tvCompare"));
    if (!stampA || !outline || stampA->count() < 14) {
        shots.fail(QStringLiteral("compare window without its snapshots"));
        return;
    }
    stampA->setCurrentIndex(stampA->count() - 14);
    window->compare();
    const QList<QTreeWidgetItem*> found =
        outline->findItems(QStringLiteral("Fieldbook 2.0 release"), Qt::MatchContains | Qt::MatchRecursive);
    if (found.isEmpty()) {
        shots.fail(QStringLiteral("compare outline without the release goal"));
    } else {
        outline->setCurrentItem(found.first());
    }
    shots.save(window, QStringLiteral("compare"));
    window->close();
}

void teamMembers(const QString& dbPath, Shots& shots)
{
    auto* window = new TeamMemberWindow(dbPath);
    window->show();
    shots.save(window, QStringLiteral("team-members"));
    window->close();
    delete window;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cairnwork"));
    QApplication::setWindowIcon(TreeImages::icon(QStringLiteral("Root")));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Saves pictures of Cairnwork's windows for the user guide."));
    parser.addHelpOption();
    const QCommandLineOption dbOption(
        QStringLiteral("db"), QStringLiteral("The project file."), QStringLiteral("FILE"));
    const QCommandLineOption outOption(
        QStringLiteral("out"), QStringLiteral("The folder for the PNG files."), QStringLiteral("DIR"));
    parser.addOption(dbOption);
    parser.addOption(outOption);
    parser.process(app);
    if (!parser.isSet(dbOption) || !parser.isSet(outOption)) {
        std::fprintf(stderr, "usage: cairnwork-shots --db FILE --out DIR\n");
        return 2;
    }
    const QString dbPath = QFileInfo(parser.value(dbOption)).absoluteFilePath();
    if (!QFileInfo::exists(dbPath) || !QDir().mkpath(parser.value(outOption))) {
        std::fprintf(stderr,
                     "cairnwork-shots: no project at %s or no folder %s\n",
                     qPrintable(dbPath),
                     qPrintable(parser.value(outOption)));
        return 1;
    }

    // Settings of our own, so the user's remembered windows stay as they are: a
    // window wide enough for every list column, and the lists split so the task
    // list gets the most room.
    QTemporaryDir settingsDir;
    AppSettings settings(settingsDir.filePath(QStringLiteral("Cairnwork.conf")));
    const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInch();
    const auto twips = [dpi](int pixels) { return QString::number(Twips::toTwips(pixels, dpi)); };
    settings.setValue(QStringLiteral("MainLeft"), twips(0));
    settings.setValue(QStringLiteral("MainTop"), twips(0));
    settings.setValue(QStringLiteral("MainWidth"), twips(kWindowSize.width()));
    settings.setValue(QStringLiteral("MainHeight"), twips(kWindowSize.height()));
    settings.setValue(QStringLiteral("SP1"), twips(270));
    settings.setValue(QStringLiteral("SPV1"), twips(300));
    settings.setValue(QStringLiteral("SPV2"), twips(470));
    NoQuestions questions;
    Shots shots(parser.value(outOption));

    MainWindow window(settings, questions, dbPath);
    if (!window.InitDatabase()) {
        std::fprintf(stderr, "cairnwork-shots: cannot open %s\n", qPrintable(dbPath));
        return 1;
    }
    window.show();
    settle();

    mainWindow(window, shots);
    propertyDialogs(window, shots);
    reports(shots);
    chart(shots);
    trend(shots);
    timeline(shots);
    compare(shots);
    teamMembers(dbPath, shots);
    return shots.failed() ? 1 : 0;
}
