#include "CliCommon.h"

#include <ostream>

namespace rovana::cli {

std::unique_ptr<CFileData> LoadSingleFile(const QStringList& args, std::ostream& err)
{
    if (args.size() != 1) {
        err << "需要一个 .mg 文件路径\n";
        return nullptr;
    }
    auto data = std::make_unique<CFileData>();
    const LoadResult result = data->Load(args.front());
    if (result)
        return data;
    err << result.message().toStdString();
    if (result.status != LoadStatus::CannotOpen && !result.detail.isEmpty())
        err << "：" << result.detail.toStdString();
    err << "\n";
    return nullptr;
}

} // namespace rovana::cli
