# The storage layers of the engine (everything below the table interface at
# engine/ root): their folders and, in marvessa_storage_sources, their
# sources without tests. Shared by the main build and the fuzz build.
set(MARVESSA_STORAGE_FOLDERS file text index blob filter data)
set(marvessa_storage_sources)
foreach(folder IN LISTS MARVESSA_STORAGE_FOLDERS)
  file(GLOB folder_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/${folder}/*.cpp)
  list(APPEND marvessa_storage_sources ${folder_sources})
endforeach()
list(FILTER marvessa_storage_sources EXCLUDE REGEX "_test\\.cpp$")
