not a document
这不是文档
