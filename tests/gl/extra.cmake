# The frame checks draw the view tests' tileset and documents.
target_sources(test_gl PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/view/ViewFixture.cpp)
