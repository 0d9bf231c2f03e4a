#pragma once
// Event types of the worker-thread components. Data is passed by reference, so a change made by
// one notice is seen by the later notices of the same run.
#include <functional>

namespace gui {
class Component;
}

class TWorkerExecuteThread;

using TWorkerDataNotifyEvent =
    std::function<void(gui::Component* Sender, TWorkerExecuteThread* Thread, void*& Data)>;
using TWorkerUpdateNotifyEvent = std::function<void(
    gui::Component* Sender, TWorkerExecuteThread* Thread, void*& Data, int Percent)>;
// A method run on the user-interface thread through TWorkerExecuteThread::Synchronize; its
// argument is the component that owns the thread.
using TWorkerSyncMethod = std::function<void(gui::Component* Sender)>;
