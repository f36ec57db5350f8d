# cmake -DFROM=dir -DTO=dir -P CopyHelpPictures.cmake: the PNG pictures of FROM into TO, when
# FROM is there (the native build may not have drawn them yet).
file(GLOB pictures ${FROM}/*.png)
if(pictures)
  file(COPY ${pictures} DESTINATION ${TO})
endif()
