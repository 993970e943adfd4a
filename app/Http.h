// THttper: posts a name=value form and tells whether the reply was "ok".
#pragma once

#include <memory>

#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

class THttpClient;
class TStrings;

// The feedback endpoint used when Post gets no address: $QHWBP_FEEDBACK_URL when set,
// otherwise the maker's address.
AnsiString FeedbackUrl();

class THttper : public TObject {
public:
  THttper();
  ~THttper() override;

  THttpClient* Client() const { return FClient.get(); }
  // The form fields, name=value lines; empty at creation.
  TStrings* Params() const { return FParams.get(); }

  // Sends Params as a URL-encoded form to Url (FeedbackUrl when empty) and stores the
  // reply body in Reply. True exactly when the body is "ok". A failed request is swallowed:
  // the result is false and Reply keeps what it held.
  bool Post(WideString& Reply, const WideString& Url);

private:
  std::unique_ptr<THttpClient> FClient;
  std::unique_ptr<TStrings> FParams;
};
