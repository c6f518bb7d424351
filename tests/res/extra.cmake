# test_res runs the resource checker and compares the committed pictures
# with what the picture sources draw.
file(GLOB KV_TEST_RES_ART CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/art/*.cpp)
list(REMOVE_ITEM KV_TEST_RES_ART ${CMAKE_SOURCE_DIR}/res/art/main.cpp)
target_sources(test_res PRIVATE ${KV_TEST_RES_ART})
target_link_libraries(test_res PRIVATE kv_rescheck)
target_compile_definitions(test_res PRIVATE KV_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
