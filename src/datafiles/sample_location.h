// Where the sample question bank lives: a workbook of its own in the data folder, beside the
// settings file. The data file dialog offers it; front ends put it there when it is missing.
#ifndef TARQUEL_DATAFILES_SAMPLE_LOCATION_H_
#define TARQUEL_DATAFILES_SAMPLE_LOCATION_H_

#include <string>

namespace tarquel::datafiles {

inline constexpr char kSampleFileName[] = "同音同訓【サンプルデータ】.xlsx";

// The sample workbook's full path: `documents_folder` (the user's documents folder, without a
// trailing "/") joined with the data folder's name and the sample's file name.
inline std::string SampleWorkbookPath(const std::string& documents_folder,
                                      const std::string& data_folder_name) {
  return documents_folder + "/" + data_folder_name + "/" + kSampleFileName;
}

}  // namespace tarquel::datafiles

#endif  // TARQUEL_DATAFILES_SAMPLE_LOCATION_H_
