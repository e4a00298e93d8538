// The query window TFQuery on Qt: draws QueryWindowTable() and binds it to
// QueryWindowHandlers.
//
// Created hidden at start-up and shown modally by the main window's query
// button once the connection is open; each showing runs FormShow (an empty
// text, the United States keyboard layout where the system has one).
#pragma once

#include <QDialog>

#include "app/gui/WindowControls.h"
#include "query/QueryWindowHandlers.h"

namespace orvel {

class TFQuery : public QDialog, public QueryWindowView {
    Q_OBJECT

public:
    TFQuery(QWidget* mainWindow, QueryRunner& runner, MessageBoxes& messages);

    QueryWindowHandlers& handlers() noexcept { return handlers_; }

    std::string typedText() const override;
    void setTypedText(std::string_view text) override;
    void focusTypedText() override;
    void closeWindow() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    WindowControls controls_;
    QueryWindowHandlers handlers_;
};

}  // namespace orvel
