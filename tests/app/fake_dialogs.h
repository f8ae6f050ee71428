// Dialogs that answer for the user and remember what they were asked.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "app/dialogs.h"

namespace vrtest {

struct FakeDialogs : vr::AppDialogs {
    // Every call in order, e.g. "confirm:yes/no:<text>", "open", "error:<text>", "fonts".
    std::vector<std::string> log;
    std::optional<std::string> openAnswer;
    int openCount = 0;

    std::optional<std::string> askOpenFileName() override
    {
        ++openCount;
        log.push_back("open");
        return openAnswer;
    }
    void confirm(const std::string& text, bool withNo) override
    {
        log.push_back(std::string(withNo ? "confirm:yes/no:" : "confirm:yes:") + text);
    }
    void errorReport(const std::string& message) override { log.push_back("error:" + message); }
    void inform(const std::string& text) override { log.push_back("inform:" + text); }
    void showFontsWindow() override { log.push_back("fonts"); }
    void showAbout() override { log.push_back("about"); }
    void printerSetup() override { log.push_back("printer setup"); }

    std::optional<vr::PrintRange> printAnswer;  // none: the print dialog is cancelled
    bool runPrintDialog(vr::PrinterDevice&, vr::PrintRange& range, int minPage, int maxPage) override
    {
        log.push_back("print:" + std::to_string(range.from) + "-" + std::to_string(range.to) + " of " +
                      std::to_string(minPage) + "-" + std::to_string(maxPage));
        if (printAnswer)
            range = *printAnswer;
        return printAnswer.has_value();
    }
};

}  // namespace vrtest
