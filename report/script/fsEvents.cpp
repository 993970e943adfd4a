// The generic event sink and the global event list (fsEvents.h).
#include "report/script/fsEvents.h"

#include <algorithm>

#include "report/script/fsScript.h"

namespace {

// Every live sink, so that a dying routine can silence the sinks that would run it, wherever
// they are held (the list, a native event, both). Native objects may outlive static
// destruction, so neither table is ever destroyed.
std::vector<TfsCustomEvent*>& LiveSinks()
{
  static auto* sinks = new std::vector<TfsCustomEvent*>();
  return *sinks;
}

std::vector<std::shared_ptr<TfsCustomEvent>>& EventList()
{
  static auto* list = new std::vector<std::shared_ptr<TfsCustomEvent>>();
  return *list;
}

} // namespace

TfsCustomEvent::TfsCustomEvent(TObject* instance, TfsProcVariable* handler)
    : FInstance(ObjectToHandle(instance)), FHandler(handler)
{
  LiveSinks().push_back(this);
}

TfsCustomEvent::~TfsCustomEvent()
{
  auto& sinks = LiveSinks();
  sinks.erase(std::remove(sinks.begin(), sinks.end(), this), sinks.end());
}

void TfsCustomEvent::HandlerDestroyed(TfsProcVariable* handler)
{
  for (TfsCustomEvent* sink : LiveSinks())
    if (sink->FHandler == handler)
      sink->FHandler = nullptr;
}

void TfsCustomEvent::CallHandler(std::vector<Variant>& values)
{
  TfsProcVariable* handler = FHandler;
  if (!handler || handler->Executing())
    return;
  const Integer count = handler->Count();
  for (Integer i = 0; i < count; ++i)
    handler->Params(i)->SetValue(
        static_cast<size_t>(i) < values.size() ? values[static_cast<size_t>(i)] : Null());
  handler->GetValue();
  // The routine may have freed itself (a handler that recompiles its script); then nothing
  // comes back.
  if (FHandler != handler)
    return;
  const size_t back = std::min(values.size(), static_cast<size_t>(count));
  for (size_t i = 0; i < back; ++i)
    values[i] = handler->Params(static_cast<Integer>(i))->GetValue();
}

void AddToEventList(std::shared_ptr<TfsCustomEvent> sink)
{
  auto& list = EventList();
  // Sinks that nothing but the list holds any more (their event was reassigned, their object
  // died) are dropped on the way, so the list does not grow without bound.
  list.erase(
      std::remove_if(list.begin(), list.end(), [](const auto& s) { return s.use_count() == 1; }),
      list.end());
  list.push_back(std::move(sink));
}

void RemoveEventsOfInstance(TObject* instance)
{
  if (!instance)
    return;
  const Integer handle = ObjectToHandle(instance);
  auto& list = EventList();
  list.erase(std::remove_if(list.begin(), list.end(),
                            [handle](const auto& s) { return s->InstanceHandle() == handle; }),
             list.end());
}

Integer EventListCount()
{
  return static_cast<Integer>(EventList().size());
}

void ClearEventList()
{
  std::vector<std::shared_ptr<TfsCustomEvent>> list;
  list.swap(EventList());
}
