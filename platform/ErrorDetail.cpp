#include "platform/ErrorDetail.h"

#include <utility>

namespace veskin {

namespace {

struct Detail {
    HRESULT Code = S_OK;
    std::string Text;
};

thread_local Detail LastDetail;

}  // namespace

void SetErrorDetail(HRESULT code, std::string text) {
    LastDetail.Code = code;
    LastDetail.Text = std::move(text);
}

std::string TakeErrorDetail(HRESULT code) {
    std::string text;
    if (LastDetail.Code == code) text = std::move(LastDetail.Text);
    ClearErrorDetail();
    return text;
}

void ClearErrorDetail() {
    LastDetail.Code = S_OK;
    LastDetail.Text.clear();
}

}  // namespace veskin
