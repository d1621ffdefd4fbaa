// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a function on the user-interface thread and returns its result; a worker thread waits for it.
#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <type_traits>

namespace salvora::gui {

template <typename F> auto onGuiThread(F&& f) -> std::invoke_result_t<F> {
    using R = std::invoke_result_t<F>;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        return f();
    if constexpr (std::is_void_v<R>) {
        QMetaObject::invokeMethod(app, std::forward<F>(f), Qt::BlockingQueuedConnection);
    } else {
        R result{};
        QMetaObject::invokeMethod(
            app, [&] { result = f(); }, Qt::BlockingQueuedConnection);
        return result;
    }
}

} // namespace salvora::gui
