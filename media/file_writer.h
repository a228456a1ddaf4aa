// media/file_writer.h
//
// Common base of the two file writers (the .264 container writer and the AVI
// writer). It is a type only: its one virtual operation is the destructor, so a
// writer can be deleted through it.
#pragma once

class CFileWriter {
  public:
    virtual ~CFileWriter() = default;
    CFileWriter(const CFileWriter&) = delete;
    CFileWriter& operator=(const CFileWriter&) = delete;

  protected:
    CFileWriter() = default;
};
