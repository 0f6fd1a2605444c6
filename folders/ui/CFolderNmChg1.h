// "フォルダ名称変更" of the folder change dialog: the same dialog and rule as
// the folder download's, under the name the folder change dialog opens.
#pragma once

#include "download/ui/CFolderNmChg.h"

namespace plova::ui {

class CFolderNmChg1 final : public CFolderNmChg {
public:
    using CFolderNmChg::CFolderNmChg;
};

}  // namespace plova::ui
