#include "link/errorreporter.h"

#include "protocol/kvterror.h"

bool RunGuarded(ErrorReporter &reporter, const std::function<void()> &handler)
{
    try {
        handler();
        return true;
    } catch (const KvtError &e) {
        reporter.report(e.text());
    } catch (const std::exception &e) {
        reporter.report(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        reporter.report(QStringLiteral("Unknown error"));
    }
    return false;
}
