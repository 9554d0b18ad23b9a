// What a workbook or sheet keeps of the file it was read from, for the file codec to write
// back what the host does not model. The host holds it without looking inside.
#ifndef TARQUEL_HOST_FILE_ORIGIN_H_
#define TARQUEL_HOST_FILE_ORIGIN_H_

namespace tarquel::host {

class FileOrigin {
 public:
  virtual ~FileOrigin() = default;
};

}  // namespace tarquel::host

#endif  // TARQUEL_HOST_FILE_ORIGIN_H_
