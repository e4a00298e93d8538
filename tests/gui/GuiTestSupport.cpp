// The window fixture and the fake table steps.
#include "gui/GuiTestSupport.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCursor>
#include <QGuiApplication>
#include <QGroupBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <stdexcept>

#include "products/StepLists.h"
#include "schema/TableStep.h"

namespace orvel::test {

void RegisterFakeTableSteps(StepRegistry& registry, const std::string& product) {
    for (const auto& entry : StepListFor(product)) {
        if (entry.isReconnectPoint()) continue;
        const std::string name(entry.step);
        TableStep step{name, name, "ID", "int", "", {{"C1", "int"}, {"C2", "int"}, {"C3", "int"}}};
        registry.add(name, [step](SchemaOperations& schema) { RunTableStep(step, schema); });
    }
}

std::string PointerShown() {
    const QCursor* shown = QGuiApplication::overrideCursor();
    if (!shown) return "own";
    return shown->shape() == Qt::WaitCursor ? "wait" : "other";
}

CatalogueSnapshot TablesNamed(const std::vector<std::string>& names) {
    CatalogueSnapshot snapshot;
    for (const auto& name : names) snapshot.tables.push_back({name, {"ID"}});
    return snapshot;
}

int RunMessageLoopWith(const std::function<void()>& action) {
    QTimer start, giveUp;
    start.setSingleShot(true);
    giveUp.setSingleShot(true);
    QObject::connect(&start, &QTimer::timeout, action);
    QObject::connect(&giveUp, &QTimer::timeout, [] { QApplication::exit(99); });
    start.start(0);
    giveUp.start(5000);
    return QApplication::exec();
}

QString Utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

WindowFixture::WindowFixture(CatalogueSnapshot start, const RunRecords* records)
    : db(std::move(start)),
      form({db, registry, system, openDialog, messages, records}),
      query(&form, form.queryRunner(), messages) {
    system.directory = programDirectory.path();
    form.setQueryWindow(&query);
    query.handlers().activateKeyboardLayout = [this] { ++keyboardLayoutSwitches; };
}

void WindowFixture::show() {
    form.show();
    form.activateWindow();
    if (!QTest::qWaitForWindowActive(&form)) throw std::runtime_error("the main window did not become active");
}

void WindowFixture::selectProduct(int entry) {
    auto* group = findControl<QGroupBox>(&form, "RadioGroup1");
    group->findChildren<QAbstractButton*>().at(entry)->click();
}

void WindowFixture::pressStart() { findControl<QAbstractButton>(&form, "BitBtn2")->click(); }

bool WindowFixture::pressQueryButton(const std::function<void()>& inside) {
    bool opened = false;
    QTimer whileOpen;
    whileOpen.setSingleShot(true);
    QObject::connect(&whileOpen, &QTimer::timeout, [&] {
        if (!query.isVisible()) return;
        opened = true;
        if (inside) inside();
        findControl<QAbstractButton>(&query, "BitBtn1")->click();
    });
    whileOpen.start(0);
    findControl<QToolButton>(&form, "SpeedButton1")->click();
    return opened;
}

}  // namespace orvel::test
