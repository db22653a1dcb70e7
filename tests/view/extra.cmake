# The tile drawing tests use the document tests' tileset and fixture.
target_sources(test_view PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/document/DocFixture.cpp)
