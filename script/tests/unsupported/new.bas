Sub Main
  Dim c
  Set c = New Collection
End Sub
' expect error: line 3: New (use CreateObject) is not supported
