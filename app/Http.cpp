#include "app/Http.h"

#include <cstdlib>

#include "app/Maker.h"
#include "platform/net/HttpClient.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/Lists.h"

namespace {

constexpr char FeedbackPath[] = "/back.asp";

} // namespace

AnsiString FeedbackUrl()
{
  const char* url = std::getenv("QHWBP_FEEDBACK_URL");
  if (url && *url)
    return url;
  return AnsiString(MakerWebAddress) + FeedbackPath;
}

THttper::THttper()
    : FClient(std::make_unique<THttpClient>()), FParams(std::make_unique<TStringList>())
{
}

THttper::~THttper() = default;

bool THttper::Post(WideString& Reply, const WideString& Url)
{
  const AnsiString target = Url.empty() ? FeedbackUrl() : WideToGbk(Url);
  try {
    Reply = GbkToWide(FClient->Post(target, FParams.get()));
  } catch (const Exception&) {
    return false;
  }
  return Reply == u"ok";
}
