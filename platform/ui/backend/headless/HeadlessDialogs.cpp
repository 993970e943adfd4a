// The headless dialog service. HeadlessDialogs.h describes it.
#include "platform/ui/backend/headless/HeadlessDialogs.h"

THeadlessDialogs& HeadlessDialogs()
{
  static THeadlessDialogs service;
  return service;
}

void THeadlessDialogs::Queue(const AnsiString& ClassName, TAnswer Answer)
{
  FQueue.push_back({ClassName, std::move(Answer)});
}

void THeadlessDialogs::AcceptFile(const AnsiString& ClassName, const AnsiString& FileName,
                                  Integer FilterIndex)
{
  Queue(ClassName, [FileName, FilterIndex](TDialogRequest& r) {
    r.FileName = FileName;
    r.Files = {FileName};
    if (FilterIndex > 0)
      r.FilterIndex = FilterIndex;
    return true;
  });
}

void THeadlessDialogs::AcceptColor(const AnsiString& ClassName, TColor Color)
{
  Queue(ClassName, [Color](TDialogRequest& r) {
    r.Color = Color;
    return true;
  });
}

void THeadlessDialogs::Cancel(const AnsiString& ClassName)
{
  Queue(ClassName, [](TDialogRequest&) { return false; });
}

void THeadlessDialogs::Reset()
{
  FQueue.clear();
  FShown.clear();
}

bool THeadlessDialogs::Execute(TDialogRequest& Request)
{
  FShown.push_back(Request);
  if (FQueue.empty())
    throw EHeadlessDialog("Nobody answered the " + Request.ClassName + " (\"" + Request.Title +
                          "\")");
  if (FQueue.front().ClassName != Request.ClassName)
    throw EHeadlessDialog("The " + Request.ClassName + " was shown while an answer for a " +
                          FQueue.front().ClassName + " was next");
  TAnswer answer = std::move(FQueue.front().Answer);
  FQueue.pop_front();
  return answer(Request);
}
